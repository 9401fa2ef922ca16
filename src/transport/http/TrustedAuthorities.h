#pragma once

#include <string>

namespace bailan {

// The process-wide file of certificate authorities (PEM) that every HTTP client
// trusts for https beside the system's store; empty: the system's store only.
// Set once at start-up (bailan-cli --cacert, or the environment variable below)
// before the threads that fetch begin; read by every client it creates.
void SetExtraTrustedAuthorities(std::string path);
std::string ExtraTrustedAuthorities();

// The environment variable that test programs and the faces take the file from.
inline constexpr const char* kExtraAuthoritiesVariable = "BAILAN_CA_FILE";
// Sets the file from kExtraAuthoritiesVariable when it is set and not empty.
void TrustAuthoritiesFromEnvironment();

}  // namespace bailan
