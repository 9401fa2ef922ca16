#include "RedirectHops.h"

namespace bailan::cli {

TRedirectHops::TRedirectHops(THttpClient& client) {
  client.SetResponseObserver([this](const THttpResponse& response) {
    if (response.IsRedirect())
      hops_.push_back(std::to_string(response.StatusCode) + " -> " + response.Location);
  });
}

std::string TRedirectHops::Describe() const {
  std::string text;
  for (const std::string& hop : hops_) text += (text.empty() ? "" : ", ") + hop;
  return text;
}

}  // namespace bailan::cli
