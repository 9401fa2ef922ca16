// bailan-cli head [--read-timeout MS] [--cacert FILE] URL: the installer's size probe. Sends the
// probe's HEAD request (its user agent, redirects followed) and prints
// "ContentLength=N", N being -1 when the answer gave no size.
#include <cstdio>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "HttpArguments.h"
#include "transport/http/HttpClient.h"

namespace bailan::cli {

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

const TCliCommand kHead("head", "[--read-timeout MS] [--cacert FILE] URL", RunHead);

}  // namespace
}  // namespace bailan::cli
