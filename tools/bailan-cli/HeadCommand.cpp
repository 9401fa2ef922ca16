// bailan-cli head [--read-timeout MS] URL: the installer's size probe. Sends the
// probe's HEAD request (its user agent, redirects followed) and prints
// "ContentLength=N", N being -1 when the answer gave no size.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "platform/Cp936.h"
#include "transport/HttpClient.h"
#include "transport/TextUtil.h"

namespace bailan::cli {

constexpr int kDefaultReadTimeoutMs = 30000;  // what the installer's callers set

// The arguments of the HTTP commands: [--read-timeout MS] followed by the
// positional arguments (converted to the system's CP936 text). False on a usage
// error. Shared with GetCommand.cpp.
bool ParseHttpArguments(const std::vector<std::string>& args, std::size_t positionalCount,
                        std::vector<std::string>& positional, int& readTimeout) {
  readTimeout = kDefaultReadTimeoutMs;
  positional.clear();
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--read-timeout") {
      if (i + 1 >= args.size()) return false;
      std::optional<std::int32_t> value = ParseInt32(args[++i]);
      if (!value || *value < 0) return false;
      readTimeout = *value;
    } else {
      positional.push_back(Utf8ToCp936(args[i]));
    }
  }
  return positional.size() == positionalCount;
}

namespace {

int RunHead(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  int readTimeout = 0;
  if (!ParseHttpArguments(args, 1, positional, readTimeout)) return UsageError(TCliCommand::Find("head"));
  THttpClient client;
  client.SetHandleRedirects(true);
  client.SetReadTimeout(readTimeout);
  client.Request.UserAgent = kBrowserUserAgent;
  client.HeadRequest(positional[0]);
  std::printf("ContentLength=%d\n", client.Response.ContentLength);
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

const TCliCommand kHead("head", "[--read-timeout MS] URL", RunHead);

}  // namespace
}  // namespace bailan::cli
