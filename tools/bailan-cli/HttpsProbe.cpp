#include "HttpsProbe.h"

#include <algorithm>

#include "transport/http/HttpClient.h"
#include "transport/http/TextUtil.h"
#include "transport/http/Uri.h"

namespace bailan::cli {

const std::string& THttpsProbe::Answer(const std::string& host) {
  std::string key = host;
  std::transform(key.begin(), key.end(), key.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  auto found = answers_.find(key);
  if (found != answers_.end()) return found->second;
  std::string answer;
  THttpClient client;
  client.SetReadTimeout(kProbeTimeoutMs);
  try {
    client.HeadRequest("https://" + host + "/");
    answer = client.Response.StatusLine;
  } catch (const EHttpProtocolException&) {
    answer = client.Response.StatusLine;  // an error status is an answer too
  } catch (const std::exception&) {
    // https not answered
  }
  return answers_.emplace(key, answer).first->second;
}

void THttpsProbe::Check(const std::string& entry, const std::string& url, TCheckReport& report) {
  const TUri uri(url);
  if (uri.Host.empty() || !(uri.Scheme.empty() || SameTextIgnoreCase(uri.Scheme, "http"))) return;
  const std::string& answer = Answer(uri.Host);
  if (answer.empty()) return;
  report.Warn(entry, url, "https",
              "https://" + uri.Host + "/ answers too (" + answer + "): the address could be given as https");
}

}  // namespace bailan::cli
