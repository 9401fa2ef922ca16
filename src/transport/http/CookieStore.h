#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bailan {

// The cookies one client object received, for the hops of its redirect chains.
// Netscape, RFC 2109 and RFC 2965 forms are read: name=value with the attributes
// Domain, Path, Expires, Max-Age and Secure; others are ignored.
class TCookieStore {
 public:
  static constexpr std::size_t kMaxCookies = 300;        // a peer cannot make the store grow without bound
  static constexpr std::size_t kMaxCookieLength = 4096;  // longer Set-Cookie values are ignored

  // Stores the cookies of one Set-Cookie (or Set-Cookie2 with `version2`, which
  // may hold several separated by commas) received for a request to `host` with
  // path `path`. A cookie with the name, domain and path of a stored one replaces
  // it; an expired one removes it. A cookie holding a control character is
  // ignored, and so is one whose Domain attribute does not contain `host` (the
  // host equals it or ends with "." and it); a Domain of "." means `host`.
  void Add(std::string_view setCookie, const std::string& host, const std::string& path, bool version2);

  // The Cookie value for a request to `host` and `path`: "name=value" pairs
  // joined by "; " of the cookies whose domain occurs within the host (ignoring
  // case) and whose path is a prefix of the request path, leaving out secure
  // cookies and those with an empty value. Empty when none matches.
  std::string CookieHeader(const std::string& host, const std::string& path) const;

  std::size_t Count() const { return cookies_.size(); }

 private:
  struct TCookie {
    std::string Name;
    std::string Value;
    std::string Domain;
    std::string Path;
    bool Secure = false;
  };

  void AddOne(std::string_view text, const std::string& host, const std::string& path);
  void Store(TCookie cookie, bool expired);

  std::vector<TCookie> cookies_;
};

// An HTTP cookie date ("Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94
// 08:49:37 GMT", "Sun Nov  6 08:49:37 1994") as seconds since 1970; none when
// it does not parse.
std::optional<std::int64_t> ParseCookieDate(std::string_view text);

}  // namespace bailan
