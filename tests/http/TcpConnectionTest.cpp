// The TCP connection against real loopback sockets: line reads, exact reads,
// stream reads, closes, time-outs, connect failures and name resolution.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "HttpTestSupport.h"
#include "platform/MemoryStream.h"
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
