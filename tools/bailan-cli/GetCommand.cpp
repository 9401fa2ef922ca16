// bailan-cli get [--read-timeout MS] [--cacert FILE] URL FILE: the manifest fetch.
// Sends its GET (default user agent, redirects followed) and writes the body of
// the final answer into FILE, which is created or replaced.
#include <string>
#include <vector>

#include "CliCommand.h"
#include "HttpArguments.h"
#include "platform/File.h"
#include "platform/FileStream.h"
#include "transport/http/HttpClient.h"

namespace bailan::cli {

namespace {

int RunGet(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  int readTimeout = 0;
  if (!ParseHttpArguments(args, 2, positional, readTimeout)) return UsageError(TCliCommand::Find("get"));
  THttpClient client;
  client.SetHandleRedirects(true);
  client.SetReadTimeout(readTimeout);
  TFileStream target(TFile::Create(positional[1], TShareMode::Exclusive));
  client.GetToStream(positional[0], target);
  return kExitOk;
}

const TCliCommand kGet("get", "[--read-timeout MS] [--cacert FILE] URL FILE", RunGet);

}  // namespace
}  // namespace bailan::cli
