// The platform's TLS engine over a raw loopback socket, against nginx with
// certificates of a test authority (the fixture cmake/tls-peer.sh, whose folder
// ctest names in BAILAN_TLS_PEER).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Socket.h"
#include "support/TempDir.h"
#include "support/TestServer.h"
#include "tls/TlsPeer.h"
#include "transport/http/NetExceptions.h"
#include "transport/http/TlsEngine.h"

namespace bailan {
namespace {

constexpr int kWaitMs = 20000;              // one wait for the peer, generous for a loaded machine
constexpr std::size_t kReceiveMax = 32768;  // as the TCP connection receives

// One engine over one socket, moved along as the TCP connection moves it.
class TTlsSession {
 public:
  TTlsSession(std::uint16_t port, const TTlsSettings& settings, std::size_t receiveSize = kReceiveMax)
      : engine_(CreateTlsEngine(settings)), receiveSize_(receiveSize) {
    int error = 0;
    socket_ = TSocket::CreateTcp(error);
    EXPECT_EQ(error, 0);
    TSocketWait wait = socket_.StartConnect(TIPv4Address{{127, 0, 0, 1}}, port, error);
    if (wait == TSocketWait::TimedOut) wait = socket_.WaitConnected(kWaitMs, error);
    EXPECT_EQ(wait, TSocketWait::Ready) << SocketErrorText(error);
  }

  void Handshake() {
    std::string out;
    engine_->StartHandshake(out);
    Send(out);
    while (!engine_->HandshakeDone()) {
      if (!Pump()) throw ETlsError("the peer closed during the handshake");
    }
  }

  void Write(const std::string& plain) {
    std::string out;
    engine_->Encrypt(plain, out);
    Send(out);
  }

  // Everything until the peer's close_notify (or its plain close).
  std::string ReadToEnd() {
    std::string plain;
    char block[kReceiveMax];
    for (;;) {
      std::string out;
      while (const std::size_t count = engine_->ReadPlain(block, sizeof block, out))
        plain.append(block, count);
      Send(out);
      if (engine_->PeerClosed() || !Pump()) return plain;
    }
  }

  // Our close_notify, sent.
  void Close() {
    std::string out;
    engine_->Shutdown(out);
    EXPECT_FALSE(out.empty());
    Send(out);
  }

  TTlsEngine& Engine() { return *engine_; }

 private:
  void Send(const std::string& bytes) {
    int error = 0;
    for (std::size_t done = 0; done < bytes.size();) {
      const std::ptrdiff_t sent = socket_.Send(bytes.data() + done, bytes.size() - done, error);
      ASSERT_GT(sent, 0) << SocketErrorText(error);
      done += static_cast<std::size_t>(sent);
    }
  }

  // One receive fed to the engine; false when the peer closed the socket.
  bool Pump() {
    int error = 0;
    if (socket_.WaitReadable(kWaitMs, error) != TSocketWait::Ready)
      throw ETlsError("no answer from the peer");
    std::string received(receiveSize_, '\0');
    const std::ptrdiff_t count = socket_.Receive(received.data(), received.size(), false, error);
    if (count <= 0) return false;
    std::string out;
    engine_->Feed(std::string_view(received.data(), static_cast<std::size_t>(count)), out);
    Send(out);
    return true;
  }

  TSocket socket_;
  std::unique_ptr<TTlsEngine> engine_;
  std::size_t receiveSize_;
};

class TlsEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (test::TlsPeerDir().empty()) GTEST_SKIP() << test::TlsPeerMissingReason();
  }
  static TTlsSettings Trusting(const std::string& host) { return {host, test::TlsPeerAuthority()}; }
};

std::string BodyOf(const std::string& response) {
  const std::size_t end = response.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : response.substr(end + 4);
}

// A whole GET, with the records cut at every size the socket may hand over.
TEST_F(TlsEngineTest, GetsFilesWhateverTheReceiveSize) {
  struct TCase {
    const char* Port;
    const char* Host;
    const char* Path;
    std::size_t ReceiveSize;
    std::string Body;
  };
  const TCase cases[] = {
      {"good", "localhost", "/hello.txt", kReceiveMax, "hello over TLS\n"},
      {"good", "localhost", "/hello.txt", 7,
       "hello over TLS\n"},  // every record, the handshake's too, in pieces
      {"good", "localhost", "/big.bin", kReceiveMax, test::TlsPeerBigBody()},
      {"good", "localhost", "/big.bin", 1000, test::TlsPeerBigBody()},       // records split across receives
      {"good", "127.0.0.1", "/hello.txt", kReceiveMax, "hello over TLS\n"},  // an address as the name
      {"sni", "localhost", "/hello.txt", kReceiveMax, "hello over TLS\n"},   // the right certificate by SNI
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Port) + " as " + c.Host + ": " + c.Path + " in receives of " +
                 std::to_string(c.ReceiveSize));
    TTlsSession session(test::TlsPeerPort(c.Port), Trusting(c.Host), c.ReceiveSize);
    std::string response;
    EXPECT_NO_THROW({
      session.Handshake();
      session.Write(std::string("GET ") + c.Path +
                    " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n");
      response = session.ReadToEnd();
    });
    EXPECT_EQ(response.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_TRUE(BodyOf(response) == c.Body) << "body of " << BodyOf(response).size() << " bytes";
    EXPECT_TRUE(session.Engine().PeerClosed()) << "no close_notify after the last byte";
  }
}

// Data longer than one record goes out as several, and the peer reads them all:
// 400 pipelined requests in one Encrypt.
TEST_F(TlsEngineTest, SendsDataLongerThanOneRecord) {
  TTlsSession session(test::TlsPeerPort("good"), Trusting("localhost"));
  session.Handshake();
  constexpr int kRequests = 400;
  std::string requests;
  for (int i = 1; i < kRequests; ++i) requests += "GET /hello.txt HTTP/1.1\r\nHost: localhost\r\n\r\n";
  requests += "GET /hello.txt HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n";
  ASSERT_GT(requests.size(), 16384u);
  session.Write(requests);
  const std::string responses = session.ReadToEnd();
  int answered = 0;
  for (std::size_t at = responses.find("hello over TLS"); at != std::string::npos;
       at = responses.find("hello over TLS", at + 1)) {
    ++answered;
  }
  EXPECT_EQ(answered, kRequests);
}

// Our close_notify is a record the peer accepts: nginx answers it by closing.
TEST_F(TlsEngineTest, ShutdownEndsTheSession) {
  TTlsSession session(test::TlsPeerPort("good"), Trusting("localhost"));
  session.Handshake();
  session.Close();
  EXPECT_EQ(session.ReadToEnd(), "");
  EXPECT_THROW(session.Write("x"), ETlsError);  // nothing goes out after our close_notify
}

// Each reason to refuse a peer, with the reason in the message.
TEST_F(TlsEngineTest, RefusesPeersWithTheReason) {
  struct TCase {
    const char* Port;
    TTlsSettings Settings;
    const char* Reason;
  };
  const TCase cases[] = {
      {"good", Trusting("wrong.invalid"), "not valid for the host name wrong.invalid"},
      {"good", Trusting("127.0.0.2"),
       "not valid for the host name 127.0.0.2"},  // an address it does not name
      {"expired", Trusting("localhost"), "has expired"},
      {"unknown", Trusting("localhost"), "unknown authority"},
      {"good", {"localhost", ""}, "unknown authority"},  // the test authority is no system authority
      {"old", Trusting("localhost"), "handshake with localhost failed"},  // TLS 1.1 and nothing newer
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Port) + " as " + c.Settings.HostName);
    TTlsSession session(test::TlsPeerPort(c.Port), c.Settings);
    try {
      session.Handshake();
      ADD_FAILURE() << "the handshake succeeded";
    } catch (const ETlsError& error) {
      EXPECT_NE(error.Message().find(c.Reason), std::string::npos) << error.Message();
      EXPECT_EQ(error.Message().find('\n'), std::string::npos) << error.Message();
    }
    EXPECT_FALSE(session.Engine().HandshakeDone());
  }
}

// A peer that answers the ClientHello with something other than TLS.
TEST_F(TlsEngineTest, RefusesAPeerThatSpeaksNoTls) {
  const std::string answers[] = {"HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n",
                                 std::string("\x16\x03\x03\xff\xff", 5) + std::string(70000, 'x')};
  for (const std::string& answer : answers) {
    test::TTestServer server;
    server.AddScript(test::TConnectionScript().Send(answer).Pause(5000));
    TTlsSession session(server.Port(), Trusting("localhost"));
    EXPECT_THROW(session.Handshake(), ETlsError) << answer.substr(0, 20);
  }
}

// A file of extra authorities that is missing, empty of certificates or damaged.
TEST_F(TlsEngineTest, RefusesABadAuthorityFile) {
  test::TTempDir dir;
  const std::string begin = "-----BEGIN CERTIFICATE-----\n";
  struct TCase {
    const char* Name;
    std::string Content;  // empty: no file
    const char* Reason;
  };
  const TCase cases[] = {
      {"missing.pem", "", "cannot be read"},
      {"none.pem", "no certificate here\n", "holds no certificate"},
      {"cut.pem", begin + "MIIB", "damaged certificate"},
      {"garbage.pem", begin + "!!!!\n-----END CERTIFICATE-----\n", "damaged certificate"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    if (!c.Content.empty()) test::WriteFileBytes(dir / c.Name, c.Content);
    try {
      CreateTlsEngine({"localhost", dir / c.Name});
      ADD_FAILURE() << "accepted";
    } catch (const ETlsError& error) {
      EXPECT_NE(error.Message().find(c.Reason), std::string::npos) << error.Message();
    }
  }
}

}  // namespace
}  // namespace bailan
