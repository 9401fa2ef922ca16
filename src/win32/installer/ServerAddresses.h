#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bailan {

// The three server addresses the installer window uses (CP936).
struct TServerAddresses {
  std::string Manifest;
  std::string Showcase;
  std::string License;
};

// The built-in addresses: the global texts of this build.
TServerAddresses BuiltInAddresses();

// The environment variable through which a test run points the program at a
// server of its own ("http://127.0.0.1:PORT"); unset, the built-in addresses
// hold. Nothing else of the program reads its environment (but TEMP).
inline constexpr wchar_t kTestServerVariable[] = L"BAILAN_TEST_SERVER_URL";

// `addresses` with their scheme and host replaced by `server`, which must be
// plain HTTP on the loopback address with a port ("http://127.0.0.1:PORT");
// nothing for anything else, so that no setting can send an installation to
// another machine.
std::optional<TServerAddresses> RedirectToTestServer(const TServerAddresses& addresses,
                                                     std::string_view server);

}  // namespace bailan
