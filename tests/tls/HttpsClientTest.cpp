// The HTTP client over the platform's TLS engine against the TLS peer: a body
// ends at its length or at the server's close_notify, never at a bare close.
#include <gtest/gtest.h>

#include "http/HttpTestSupport.h"
#include "platform/MemoryStream.h"
#include "support/CuttingRelay.h"
#include "tls/TlsPeer.h"
#include "transport/http/NetExceptions.h"
#include "transport/http/TrustedAuthorities.h"

namespace bailan::test {
namespace {

class HttpsClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (TlsPeerDir().empty()) GTEST_SKIP() << TlsPeerMissingReason();
    SetExtraTrustedAuthorities(TlsPeerAuthority());
  }
  void TearDown() override { SetExtraTrustedAuthorities(""); }
};

TEST_F(HttpsClientTest, BodiesEndOnlyAtTheirEnd) {
  constexpr std::size_t kCutAfter = 100000;  // past the handshake, inside the body
  TCuttingRelay relay(TlsPeerPort("good"), kCutAfter);
  struct TCase {
    const char* Name;
    std::uint16_t Port;
    const char* Path;
    TProtocolVersion Version;
    const char* Failure;  // nullptr: the whole body
  };
  const TCase cases[] = {
      {"by its length", TlsPeerPort("good"), "/big.bin", TProtocolVersion::pv1_1, nullptr},
      {"until the close_notify", TlsPeerPort("good"), "/chunked/big.bin", TProtocolVersion::pv1_0, nullptr},
      {"cut on the way", relay.Port(), "/chunked/big.bin", TProtocolVersion::pv1_0,
       kClosedWithoutCloseNotifyText},
  };
  const std::string whole = TlsPeerBigBody();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    THttpClient client;
    ConfigureLikeTheCallers(client);
    client.SetProtocolVersion(c.Version);
    const std::string url = "https://localhost:" + std::to_string(c.Port) + c.Path;
    TMemoryStream body;
    if (c.Failure) {
      ExpectFailure<ETlsError>([&] { client.GetToStream(url, body); }, c.Failure);
    } else {
      EXPECT_NO_THROW(client.GetToStream(url, body));
      EXPECT_TRUE(body.Bytes() == whole) << body.Bytes().size() << " bytes";
    }
  }
}

}  // namespace
}  // namespace bailan::test
