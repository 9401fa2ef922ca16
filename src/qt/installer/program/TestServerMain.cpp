// bailan-setup-e2e: the installer as the end-to-end test and the benchmarks
// run it, built only with the tests and never shipped. It differs from
// bailan-setup in two things, both read from the environment: when
// BAILAN_E2E_SERVER_URL ("http://HOST:PORT") is set, the manifest, the
// showcase page and the licence come from that server, at the paths of the
// built-in addresses, so that the test serves them on a port it has chosen
// free, and BAILAN_CA_FILE names authorities trusted for an https test server;
// its manifest must then be signed with the demo key (tools/demo-server), as
// the demo server signs it, and a refused manifest's reason goes to stderr
// before page 2 reports the failure. When BAILAN_E2E_STARTUP_LOG names a file,
// the start-up milestones are logged there (TStartupLog). bailan-setup reads
// no environment but TEMP.
#include <cstdlib>
#include <iostream>
#include <string>

#include "DemoSignature.h"
#include "platform/Cp936.h"
#include "qt/installer/QtText.h"
#include "qt/installer/program/Program.h"
#include "qt/installer/program/StartupLog.h"
#include "qt/receive/FMain.h"
#include "receive/GlobalTexts.h"
#include "receive/ManifestFetch.h"
#include "transport/http/TrustedAuthorities.h"

namespace {

const char* const kServerVariable = "BAILAN_E2E_SERVER_URL";
const char* const kStartupLogVariable = "BAILAN_E2E_STARTUP_LOG";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// `url` with its scheme and host replaced by `server`'s: what follows the
// host ("/install/Tavro/Live.txt") stays.
std::string OnServer(const std::string& url, const std::string& server) {
  const std::size_t host = url.find("//");
  const std::size_t path = host == std::string::npos ? std::string::npos : url.find('/', host + 2);
  return server + (path == std::string::npos ? std::string("/") : url.substr(path));
}

}  // namespace

int main(int argc, char** argv) {
  bailan::TStartupLog log(Environment(kStartupLogVariable));
  log.Mark("main");
  bailan::TrustAuthoritiesFromEnvironment();
  const std::string server = Environment(kServerVariable);
  bailan::TInstallerHooks hooks;
  hooks.step = [&log](const char* step) { log.Mark(step); };
  hooks.prepare = [&log, server](bailan::TFMain& window) {
    log.Watch(window);
    if (server.empty()) return;
    const std::string manifest = OnServer(bailan::ManifestURL(), server);
    window.FetchManifestStep = [manifest] {
      static const bailan::TSignatureKey key(bailan::demo::DemoPublicKeyPem());
      const bool fetched = bailan::FetchManifestFrom(manifest, &key);
      if (!fetched)
        std::cerr << "manifest: " << bailan::Cp936ToUtf8(bailan::ManifestFetchFailure()) << std::endl;
      return fetched;
    };
    window.ShowcaseAddress = bailan::ToQString(OnServer(bailan::ShowcaseURL(), server));
    window.LicenseAddress = bailan::ToQString(OnServer(bailan::LicenseURL(), server));
  };
  return bailan::RunInstaller(argc, argv, hooks);
}
