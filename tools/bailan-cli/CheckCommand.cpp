// bailan-cli check [--read-timeout MS] [--public-key PEM] MANIFEST_URL: for
// makers. Fetches the manifest as the installer does, asks for every listed
// resource as a job would (the size probe, the three ranges of its segment
// table, one whole GET) and prints a table of every way the server departs
// from what the installer relies on: failures (the installation would not
// complete) and warnings. Exit 0 only when every entry would install.
#include <string>
#include <vector>

#include "CheckReport.h"
#include "CheckSettings.h"
#include "CliCommand.h"
#include "HttpArguments.h"
#include "HttpsProbe.h"
#include "ManifestCheck.h"
#include "ResourceCheck.h"
#include "platform/Console.h"

namespace bailan::cli {
namespace {

// Takes "--public-key PEM" out of `args`; false when it lacks its value or
// stands twice.
bool TakePublicKey(std::vector<std::string>& args, TCheckSettings& settings) {
  for (std::size_t i = 0; i < args.size();) {
    if (args[i] != "--public-key") {
      ++i;
      continue;
    }
    if (i + 1 >= args.size() || settings.PublicKeyPath) return false;
    settings.PublicKeyPath = ArgumentToCp936(args[i + 1]);
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
  }
  return true;
}

int RunCheck(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  TCheckSettings settings;
  std::vector<std::string> positional;
  if (!TakePublicKey(args, settings) || !ParseHttpArguments(args, 1, positional, settings.ReadTimeoutMs))
    return UsageError(TCliCommand::Find("check"));
  const std::string& manifestUrl = positional[0];

  TCheckReport report;
  THttpsProbe https;
  std::optional<std::vector<TCheckEntry>> entries = CheckManifest(manifestUrl, settings, report);
  if (entries) {
    https.Check("manifest", manifestUrl, report);
    for (const TCheckEntry& entry : *entries) {
      CheckResource(entry, settings, report);
      https.Check(entry.Section, entry.Url, report);
    }
  }
  report.Print(entries ? entries->size() : 0);
  return report.HasFailures() ? kExitFailure : kExitOk;
}

const TCliCommand kCheck("check", "[--read-timeout MS] [--public-key PEM] MANIFEST_URL", RunCheck);

}  // namespace
}  // namespace bailan::cli
