#include "win32/installer/ServerAddresses.h"

#include "receive/GlobalTexts.h"

namespace bailan {
namespace {

constexpr std::string_view kScheme = "http://";
constexpr std::string_view kLoopback = "http://127.0.0.1:";
constexpr std::size_t kMaxPortDigits = 5;
constexpr unsigned kMaxPort = 65535;

bool IsLoopbackServer(std::string_view server) {
  if (server.substr(0, kLoopback.size()) != kLoopback) return false;
  const std::string_view port = server.substr(kLoopback.size());
  if (port.empty() || port.size() > kMaxPortDigits) return false;
  unsigned value = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value > 0 && value <= kMaxPort;
}

// `url` from its path on, on `server`; nothing when `url` is no plain HTTP address.
std::optional<std::string> OnServer(const std::string& url, std::string_view server) {
  if (url.compare(0, kScheme.size(), kScheme) != 0) return std::nullopt;
  const std::size_t path = url.find('/', kScheme.size());
  return std::string(server) + (path == std::string::npos ? std::string("/") : url.substr(path));
}

}  // namespace

TServerAddresses BuiltInAddresses() {
  return {ManifestURL(), ShowcaseURL(), LicenseURL()};
}

std::optional<TServerAddresses> RedirectToTestServer(const TServerAddresses& addresses,
                                                     std::string_view server) {
  if (!IsLoopbackServer(server)) return std::nullopt;
  auto manifest = OnServer(addresses.Manifest, server);
  auto showcase = OnServer(addresses.Showcase, server);
  auto license = OnServer(addresses.License, server);
  if (!manifest || !showcase || !license) return std::nullopt;
  return TServerAddresses{std::move(*manifest), std::move(*showcase), std::move(*license)};
}

}  // namespace bailan
