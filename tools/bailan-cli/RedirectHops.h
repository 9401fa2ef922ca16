#pragma once

#include <string>
#include <vector>

#include "transport/http/HttpClient.h"

namespace bailan::cli {

// The redirects one client followed: each hop's status code and target, as
// the answers gave them. At most the client's redirect limit of hops.
class TRedirectHops {
 public:
  // Watches `client`, which must not be used after this object is gone; one thread.
  explicit TRedirectHops(THttpClient& client);
  TRedirectHops(const TRedirectHops&) = delete;
  TRedirectHops& operator=(const TRedirectHops&) = delete;

  bool Any() const { return !hops_.empty(); }
  // "302 -> /b, 301 -> http://host/c".
  std::string Describe() const;

 private:
  std::vector<std::string> hops_;
};

}  // namespace bailan::cli
