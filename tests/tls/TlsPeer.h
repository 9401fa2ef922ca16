#pragma once

// The TLS peer of this suite: nginx started by the fixture tls_peer
// (cmake/tls-peer.sh), whose folder ctest names in BAILAN_TLS_PEER.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/TempDir.h"

namespace bailan::test {

// The peer's folder; empty when the tests run without the fixture.
inline std::string TlsPeerDir() {
  const char* dir = std::getenv("BAILAN_TLS_PEER");
  return dir ? dir : "";
}

inline const char* TlsPeerMissingReason() {
  return "BAILAN_TLS_PEER is not set: ctest starts the TLS peer (cmake/tls-peer.sh) as the fixture tls_peer";
}

// The port of one of the peer's servers: "good", "expired", "unknown", "old", "sni".
inline std::uint16_t TlsPeerPort(const std::string& server) {
  return static_cast<std::uint16_t>(std::stoi(ReadFileBytes(TlsPeerDir() + "/" + server + ".port")));
}

// The test authority that signed the good certificate.
inline std::string TlsPeerAuthority() {
  return TlsPeerDir() + "/ca.pem";
}

// The content of the peer's big.bin: the lines 1000000 to 1399999.
inline std::string TlsPeerBigBody() {
  std::string body;
  for (int line = 1000000; line < 1400000; ++line) body += std::to_string(line) + "\n";
  return body;
}

}  // namespace bailan::test
