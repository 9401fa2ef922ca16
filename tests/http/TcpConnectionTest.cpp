// The TCP connection against real loopback sockets: line reads, exact reads,
// stream reads, closes, time-outs, connect failures and name resolution.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "HttpTestSupport.h"
#include "platform/MemoryStream.h"
#include "platform/Thread.h"
#include "platform/Tick.h"
#include "support/Host.h"
#include "support/TestServer.h"
#include "transport/http/NetExceptions.h"
#include "transport/http/TcpConnection.h"

namespace bailan {
namespace {

using test::ExpectFailure;
using test::TConnectionScript;
using test::TTestServer;

class TcpConnectionTest : public ::testing::Test {
 protected:
  void Connect(int readTimeout = 5000) {
    connection.SetHost("127.0.0.1");
    connection.SetPort(server.Port());
    connection.SetReadTimeout(readTimeout);
    connection.OpenConnection(readTimeout);
  }
  // Waits until the bytes the server sent are in the input buffer.
  void WaitBuffered(std::size_t count) {
    while (connection.Buffered() < count) connection.PollForClose();
  }

  TTestServer server;
  TTcpConnection connection;
};

// ---- line reads ----

TEST_F(TcpConnectionTest, ReadLineDropsCrLfOrBareLf) {
  server.AddScript(TConnectionScript().Send("first\r\nsecond\nthird\r\r\n\r\n"));
  Connect();
  EXPECT_EQ(connection.ReadLine(), "first");
  EXPECT_EQ(connection.ReadLine(), "second");
  EXPECT_EQ(connection.ReadLine(), "third\r");  // only one CR before the LF is dropped
  EXPECT_EQ(connection.ReadLine(), "");
}

TEST_F(TcpConnectionTest, ReadLineAssemblesALineSentOneByteAtATime) {
  server.AddScript(TConnectionScript().SendSlowly("HTTP/1.1 200 OK\r\n", 2));
  Connect();
  EXPECT_EQ(connection.ReadLine(), "HTTP/1.1 200 OK");
}

TEST_F(TcpConnectionTest, ReadLineAcceptsTheLongestLineAndRefusesLonger) {
  const std::string longest(TTcpConnection::kMaxLineLength, 'a');
  server.AddScript(TConnectionScript().Send(longest + "\r\n" + std::string(20000, 'b') + "\r\n"));
  Connect();
  EXPECT_EQ(connection.ReadLine(), longest);
  ExpectFailure<EReadLnMaxLineLengthExceeded>([&] { connection.ReadLine(); }, "Max line length exceeded.");
}

TEST_F(TcpConnectionTest, ReadLineFailsOnAnOverlongLineWithoutWaitingForItsEnd) {
  server.AddScript(TConnectionScript().Send(std::string(20000, 'x')).Hang());
  Connect(10000);
  const auto started = std::chrono::steady_clock::now();
  ExpectFailure<EReadLnMaxLineLengthExceeded>([&] { connection.ReadLine(); }, "Max line length exceeded.");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST_F(TcpConnectionTest, ReadLineFailsOnCloseEvenWithAPartialLineBuffered) {
  server.AddScript(TConnectionScript().Send("no end of line").Close());
  Connect();
  ExpectFailure<EConnClosedGracefully>([&] { connection.ReadLine(); }, "Connection Closed Gracefully.");
  EXPECT_EQ(connection.BufferedBytes(), "no end of line");
  EXPECT_FALSE(connection.IsOpen());
}

// ---- exact reads ----

TEST_F(TcpConnectionTest, ReadExactFailsWhenThePeerClosesShortAndDeliversNothing) {
  server.AddScript(TConnectionScript().Send(std::string(5000, 'z')).Close());
  Connect();
  std::vector<char> buffer(10240, '-');
  ExpectFailure<EConnClosedGracefully>([&] { connection.ReadExact(buffer.data(), 10240); },
                                       "Connection Closed Gracefully.");
  EXPECT_EQ(connection.Buffered(), 5000u);  // kept, not delivered
}

TEST_F(TcpConnectionTest, ReadExactAfterALocalCloseServesOnlyWhatIsBuffered) {
  server.AddScript(TConnectionScript().Send("HEAD\r\n" + std::string(3000, 'b')).Hang());
  Connect();
  EXPECT_EQ(connection.ReadLine(), "HEAD");
  WaitBuffered(3000);
  connection.CloseConnection();
  std::vector<char> buffer(3000);
  connection.ReadExact(buffer.data(), 3000);
  EXPECT_EQ(std::string(buffer.data(), 3000), std::string(3000, 'b'));
  ExpectFailure<EConnClosedGracefully>([&] { connection.ReadExact(buffer.data(), 3000); },
                                       "Connection Closed Gracefully.");
}

TEST_F(TcpConnectionTest, ReadExactAfterALocalCloseWithTooFewBytesIsNotConnected) {
  server.AddScript(TConnectionScript().Send(std::string(100, 'c')).Hang());
  Connect();
  WaitBuffered(100);
  connection.CloseConnection();
  std::vector<char> buffer(200);
  ExpectFailure<ENotConnected>([&] { connection.ReadExact(buffer.data(), 200); }, "Not Connected");
  EXPECT_EQ(connection.Buffered(), 100u);
}

TEST_F(TcpConnectionTest, ReadExactOfZeroOrLessDoesNothing) {
  server.AddScript(TConnectionScript().Hang());
  Connect(100);
  char byte = 0;
  connection.ReadExact(&byte, 0);
  connection.ReadExact(&byte, -5);
  EXPECT_EQ(byte, 0);
}

TEST_F(TcpConnectionTest, ReadExactTakesBlocksAcrossManyReceives) {
  std::string body;
  for (int i = 0; i < 200000; ++i) body.push_back(static_cast<char>(i * 7));
  server.AddScript(TConnectionScript().Send(body).Hang());
  Connect();
  std::string received;
  std::vector<char> block(10240);
  while (received.size() + block.size() <= body.size()) {
    connection.ReadExact(block.data(), static_cast<std::int64_t>(block.size()));
    received.append(block.data(), block.size());
  }
  const std::size_t rest = body.size() - received.size();
  connection.ReadExact(block.data(), static_cast<std::int64_t>(rest));
  received.append(block.data(), rest);
  EXPECT_EQ(received, body);
}

// Every case asks for `Count` bytes with ReadSome, call after call, into memory
// with guard bytes behind it. No byte may land beyond the count, neither in the
// caller's memory nor in the input buffer (beyond what a line read had put
// there), and a close ends the reads as it ends every read.
TEST_F(TcpConnectionTest, ReadSomeNeverTakesAByteBeyondItsCount) {
  std::string body;
  for (int i = 0; i < 100000; ++i) body.push_back(static_cast<char>(i * 7));
  struct TCase {
    const char* Name;
    TConnectionScript Script;
    int HeadLines;          // lines read first (they pull the rest into the input buffer)
    std::size_t Count;      // bytes asked in all
    std::string Delivered;  // what arrives before the end
    bool EndsClosed;        // the peer's close ends the reads before the count
    std::size_t BufferedAfter;
    std::string Next;  // what the next read takes when the stream goes on
  };
  const TCase cases[] = {
      {"nothing buffered: straight from the socket", TConnectionScript().Send(body + "NEXT").Hang(), 0,
       body.size(), body, false, 0, "NEXT"},
      {"buffered bytes first, the next reply's stay", TConnectionScript().Send("HEAD\n0123456789NEXT").Hang(),
       1, 10, "0123456789", false, 4, "NEXT"},
      {"end of stream after the bytes", TConnectionScript().Send("abc").Close(), 0, 10, "abc", true, 0, ""},
      {"end of stream with nothing", TConnectionScript().Close(), 0, 10, "", true, 0, ""},
  };
  constexpr std::size_t kGuard = 64;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    server.AddScript(c.Script);
    Connect();
    for (int i = 0; i < c.HeadLines; ++i) connection.ReadLine();
    SleepMs(50);  // what the server sent is ready on the socket
    std::vector<char> into(c.Count + kGuard, '-');
    std::size_t got = 0;
    bool closed = false;
    try {
      while (got < c.Count) {
        const std::size_t n = connection.ReadSome(into.data() + got, c.Count - got);
        ASSERT_GT(n, 0u);
        got += n;
      }
    } catch (const EConnClosedGracefully& error) {
      EXPECT_EQ(error.Message(), "Connection Closed Gracefully.");
      closed = true;
    }
    EXPECT_EQ(closed, c.EndsClosed);
    EXPECT_EQ(std::string(into.data(), got), c.Delivered);
    EXPECT_EQ(std::string(into.data() + c.Count, kGuard), std::string(kGuard, '-'));
    EXPECT_EQ(connection.Buffered(), c.BufferedAfter);
    if (!c.Next.empty()) {
      std::string next(c.Next.size(), '\0');
      connection.ReadExact(next.data(), static_cast<std::int64_t>(next.size()));
      EXPECT_EQ(next, c.Next);
    }
    connection.CloseConnection();
  }
}

// ---- stream reads ----

TEST_F(TcpConnectionTest, ReadToStreamWritesTheCountAtThePosition) {
  server.AddScript(TConnectionScript().Send("0123456789tail").Hang());
  Connect();
  TMemoryStream stream;
  stream.Write("ab", 2);
  connection.ReadToStream(stream, 10);
  EXPECT_EQ(stream.Bytes(), "ab0123456789");
}

TEST_F(TcpConnectionTest, ReadToStreamCountModeKeepsWhatArrivedBeforeAClose) {
  server.AddScript(TConnectionScript().Send("abc").Pause(50).Send("defg").Close());
  Connect();
  TMemoryStream stream;
  ExpectFailure<EConnClosedGracefully>([&] { connection.ReadToStream(stream, 100); },
                                       "Connection Closed Gracefully.");
  EXPECT_EQ(stream.Bytes(), "abcdefg");  // cut back from the announced 100 to what arrived
  EXPECT_EQ(stream.Size(), 7);
}

TEST_F(TcpConnectionTest, ReadToStreamUntilCloseTakesEverything) {
  const std::string body(100000, 'u');
  server.AddScript(TConnectionScript().Send(body).Pause(30).Send("end").Close());
  Connect();
  TMemoryStream stream;
  connection.ReadToStreamUntilClose(stream);
  EXPECT_EQ(stream.Bytes(), body + "end");
}

// ---- closes and errors ----

TEST_F(TcpConnectionTest, PollForCloseNoticesAnIdleClose) {
  server.AddScript(TConnectionScript().Close());
  Connect();
  for (int i = 0; i < 200 && connection.IsOpen(); ++i) connection.PollForClose();
  EXPECT_FALSE(connection.IsOpen());
}

TEST_F(TcpConnectionTest, AResetByThePeerIsASocketError) {
  if (test::RunningUnderWine()) {
    GTEST_SKIP() << "Wine closes a socket with a zero linger time in order: the peer sees no reset";
  }
  server.AddScript(TConnectionScript().ReadRequest().Reset());
  Connect();
  connection.SendBytes("GET / HTTP/1.1\r\n\r\n");
  try {
    connection.ReadLine();
    ADD_FAILURE() << "no failure";
  } catch (const ESocketError& error) {
    EXPECT_EQ(error.LastError(), 10054);
    EXPECT_EQ(error.Message(), "Socket Error # 10054\r\nConnection reset by peer.");
  }
}

TEST_F(TcpConnectionTest, SendingOnAClosedConnectionFails) {
  ExpectFailure<ENotConnected>([&] { connection.SendBytes("x"); }, "Not Connected");
  server.AddScript(TConnectionScript().Hang());
  Connect();
  connection.CloseConnection();
  ExpectFailure<EConnClosedGracefully>([&] { connection.SendBytes("x"); }, "Connection Closed Gracefully.");
}

TEST_F(TcpConnectionTest, TheWriteBufferSendsTheCollectedBytesWhenClosed) {
  server.AddScript(TConnectionScript().ReadRequest().Send("ok\n"));
  Connect();
  connection.OpenWriteBuffer();
  connection.SendBytes("GET / HTTP/1.1\r\n");
  connection.SendBytes("Host: x\r\n\r\n");
  EXPECT_FALSE(server.WaitForRequests(1, 100));  // nothing left yet
  connection.CloseWriteBuffer();
  EXPECT_EQ(connection.ReadLine(), "ok");
  EXPECT_EQ(server.Request(0), "GET / HTTP/1.1\r\nHost: x\r\n\r\n");
}

TEST_F(TcpConnectionTest, ConnectingAnOpenConnectionFails) {
  server.AddScript(TConnectionScript().Hang());
  Connect();
  ExpectFailure<EAlreadyConnected>([&] { connection.OpenConnection(1000); }, "Already connected.");
}

TEST_F(TcpConnectionTest, AReconnectEmptiesTheInputBuffer) {
  server.AddScript(TConnectionScript().Send("left over").Close());
  server.AddScript(TConnectionScript().Send("fresh\n").Hang());
  Connect();
  EXPECT_THROW(connection.ReadLine(), EConnClosedGracefully);
  EXPECT_EQ(connection.Buffered(), 9u);
  connection.OpenConnection(1000);
  EXPECT_EQ(connection.Buffered(), 0u);
  EXPECT_EQ(connection.ReadLine(), "fresh");
}

// ---- time-outs ----

TEST_F(TcpConnectionTest, ASilentPeerTimesTheReadOutAndLeavesTheConnectionOpen) {
  server.AddScript(TConnectionScript().Hang());
  Connect(300);
  const std::uint32_t started = GetTickCount32();
  ExpectFailure<EReadTimeout>([&] { connection.ReadLine(); }, "Read Timeout");
  const std::uint32_t elapsed = TickDiff(GetTickCount32(), started);
  EXPECT_GE(elapsed, 290u);
  EXPECT_LT(elapsed, 2000u);
  EXPECT_TRUE(connection.IsOpen());
}

TEST_F(TcpConnectionTest, ATricklingPeerNeverTimesOut) {
  server.AddScript(TConnectionScript().SendSlowly("slow\n", 150));
  Connect(400);  // each byte comes well within the time-out, the line does not
  EXPECT_EQ(connection.ReadLine(), "slow");
}

TEST_F(TcpConnectionTest, ARefusedConnectFailsAtOnceWithTheRefusedMessage) {
  int error = 0;
  std::uint16_t freePort;
  {
    TSocket probe = TSocket::ListenLoopback(0, error);
    freePort = probe.LocalPort();
  }
  connection.SetHost("127.0.0.1");
  connection.SetPort(freePort);
  const std::uint32_t started = GetTickCount32();
  try {
    connection.OpenConnection(5000);
    ADD_FAILURE() << "connected";
  } catch (const EConnectException& failure) {
    EXPECT_EQ(failure.LastError(), 10061);
    EXPECT_EQ(failure.Message(), "Socket Error # 10061\r\nConnection refused.");
  }
  EXPECT_LT(TickDiff(GetTickCount32(), started), 1000u);
  EXPECT_FALSE(connection.IsOpen());
}

TEST_F(TcpConnectionTest, AConnectThatNeverCompletesTimesOut) {
  // A listener whose accept queue is full drops further connection requests.
  int error = 0;
  TSocket listener = TSocket::ListenLoopback(0, error);
  std::vector<TSocket> fillers;
  for (int i = 0; i < 200; ++i) {
    TSocket filler = TSocket::CreateTcp(error);
    filler.StartConnect(TIPv4Address{{127, 0, 0, 1}}, listener.LocalPort(), error);
    fillers.push_back(std::move(filler));
  }
  connection.SetHost("127.0.0.1");
  connection.SetPort(listener.LocalPort());
  const std::uint32_t started = GetTickCount32();
  ExpectFailure<EConnectTimeout>([&] { connection.OpenConnection(400); }, "Connect timed out.");
  const std::uint32_t elapsed = TickDiff(GetTickCount32(), started);
  EXPECT_GE(elapsed, 390u);
  EXPECT_LT(elapsed, 3000u);
  EXPECT_FALSE(connection.IsOpen());
}

// ---- host resolution ----

TEST(TcpResolveTest, LocalhostAndDottedQuadsNeedNoLookup) {
  TIPv4Address address = TTcpConnection::ResolveHost("LocalHost");
  EXPECT_EQ(std::vector<int>(address.Bytes, address.Bytes + 4), (std::vector<int>{127, 0, 0, 1}));
  address = TTcpConnection::ResolveHost("10.0.255.7");
  EXPECT_EQ(std::vector<int>(address.Bytes, address.Bytes + 4), (std::vector<int>{10, 0, 255, 7}));
}

TEST(TcpResolveTest, ANumberAbove255GoesToTheNameLookup) {
  // Not an address, so the lookup decides: it knows no such name.
  try {
    TTcpConnection::ResolveHost("1.2.3.256");
    ADD_FAILURE() << "resolved";
  } catch (const ESocketError& error) {
    EXPECT_EQ(error.LastError(), 11001);
    EXPECT_EQ(error.Message(), "Socket Error # 11001\r\nHost not found.");
  }
  EXPECT_THROW(TTcpConnection::ResolveHost("no-such-host.invalid"), ESocketError);
}

}  // namespace
}  // namespace bailan
