// bailan-cli uri URL: prints the parts of URL as the installer splits it, one
// "name=value" line each, the values as raw bytes (no quoting, no conversion).
#include <cstdio>
#include <string>

#include "CliCommand.h"
#include "transport/http/Uri.h"

namespace bailan::cli {
namespace {

void PrintRaw(const char* name, const std::string& value) {
  std::fputs(name, stdout);
  std::fputc('=', stdout);
  std::fwrite(value.data(), 1, value.size(), stdout);
  std::fputc('\n', stdout);
}

int RunUri(const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(TCliCommand::Find("uri"));
  TUri uri(args[0]);
  PrintRaw("scheme", uri.Scheme);
  PrintRaw("username", uri.Username);
  PrintRaw("password", uri.Password);
  PrintRaw("host", uri.Host);
  PrintRaw("port", uri.Port);
  PrintRaw("path", uri.Path);
  PrintRaw("document", uri.Document);
  PrintRaw("params", uri.Params);
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

const TCliCommand kUri("uri", "URL", RunUri);

}  // namespace
}  // namespace bailan::cli
