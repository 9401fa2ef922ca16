#include "transport/http/CookieStore.h"

#include <algorithm>
#include <cctype>

#include "transport/http/TextUtil.h"

namespace bailan {
namespace {

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    return value.substr(1, value.size() - 2);
  return value;
}

// Splits a Set-Cookie2 value at the commas outside quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char delimiter) {
  std::vector<std::string_view> parts;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == delimiter && !quoted) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

int MonthNumber(std::string_view token) {
  static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
  if (token.size() < 3) return 0;
  for (int i = 0; i < 12; ++i) {
    if (SameTextIgnoreCase(token.substr(0, 3), kMonths[i])) return i + 1;
  }
  return 0;
}

bool AllDigits(std::string_view token) {
  return !token.empty() &&
         std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// True when `host` is `domain` or a name under it ("www.example.com" lies
// within "example.com", "badexample.com" does not).
bool HostLiesWithin(std::string_view host, std::string_view domain) {
  if (host.size() < domain.size()) return false;
  const std::size_t start = host.size() - domain.size();
  return SameTextIgnoreCase(host.substr(start), domain) && (start == 0 || host[start - 1] == '.');
}

}  // namespace

std::optional<std::int64_t> ParseCookieDate(std::string_view text) {
  int day = -1, month = 0, year = -1, hour = -1, minute = 0, second = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == ',' || text[i] == '-' || text[i] == '\t')) ++i;
    std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != ',' && text[i] != '-' && text[i] != '\t') ++i;
    std::string_view token = text.substr(start, i - start);
    if (token.empty()) continue;
    if (token.find(':') != std::string_view::npos && hour < 0) {
      std::string_view rest = token;
      auto h = ParseInt32(Fetch(rest, ':'));
      auto m = ParseInt32(Fetch(rest, ':'));
      auto s = rest.empty() ? std::optional<std::int32_t>(0) : ParseInt32(rest);
      if (!h || !m || !s || *h > 23 || *m > 59 || *s > 60 || *h < 0 || *m < 0 || *s < 0) return std::nullopt;
      hour = *h, minute = *m, second = *s;
    } else if (int number = MonthNumber(token); number > 0 && month == 0 && !AllDigits(token)) {
      month = number;
    } else if (AllDigits(token) && token.size() <= 4) {
      int value = *ParseInt32(token);
      if (day < 0 && token.size() <= 2 && value >= 1 && value <= 31) {
        day = value;
      } else if (year < 0) {
        year = token.size() <= 2 ? (value < 70 ? 2000 + value : 1900 + value) : value;
      }
    }
  }
  if (day < 0 || month == 0 || year < 0) return std::nullopt;
  if (hour < 0) hour = 0;
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + hour * 3600 +
         minute * 60 + second;
}

void TCookieStore::Add(std::string_view setCookie, const std::string& host, const std::string& path,
                       bool version2) {
  if (setCookie.size() > kMaxCookieLength) return;
  if (!version2) {
    AddOne(setCookie, host, path);
    return;
  }
  for (std::string_view part : SplitOutsideQuotes(setCookie, ',')) AddOne(part, host, path);
}

void TCookieStore::AddOne(std::string_view text, const std::string& host, const std::string& path) {
  std::vector<std::string_view> parts = SplitOutsideQuotes(text, ';');
  std::string_view pair = TrimView(parts.front());
  std::size_t equals = pair.find('=');
  if (equals == std::string_view::npos || equals == 0) return;
  TCookie cookie;
  cookie.Name = Trim(pair.substr(0, equals));
  cookie.Value = std::string(Unquote(TrimView(pair.substr(equals + 1))));
  cookie.Domain = host;
  cookie.Path = path.empty() ? "/" : path;
  bool expired = false;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    std::string_view attribute = TrimView(parts[i]);
    std::string_view name = TrimView(Fetch(attribute, '='));
    std::string_view value = Unquote(TrimView(attribute));
    if (SameTextIgnoreCase(name, "domain") && !value.empty()) {
      if (value.front() == '.') value.remove_prefix(1);
      if (!value.empty() && !HostLiesWithin(host, value)) return;  // a host may not set cookies for others
      if (!value.empty()) cookie.Domain = std::string(value);
    } else if (SameTextIgnoreCase(name, "path") && !value.empty()) {
      cookie.Path = std::string(value);
    } else if (SameTextIgnoreCase(name, "secure")) {
      cookie.Secure = true;
    } else if (SameTextIgnoreCase(name, "max-age")) {
      std::optional<std::int64_t> seconds = ParseInt64(value);
      if (seconds && *seconds <= 0) expired = true;
    } else if (SameTextIgnoreCase(name, "expires")) {
      std::optional<std::int64_t> when = ParseCookieDate(value);
      if (when && *when <= static_cast<std::int64_t>(std::time(nullptr))) expired = true;
    }
  }
  // A control character would reach the Cookie header of the next hop.
  for (const std::string* part : {&cookie.Name, &cookie.Value, &cookie.Domain, &cookie.Path}) {
    if (HasControlCharacter(*part)) return;
  }
  Store(std::move(cookie), expired);
}

void TCookieStore::Store(TCookie cookie, bool expired) {
  auto same = std::find_if(cookies_.begin(), cookies_.end(), [&](const TCookie& stored) {
    return stored.Name == cookie.Name && SameTextIgnoreCase(stored.Domain, cookie.Domain) &&
           stored.Path == cookie.Path;
  });
  if (same != cookies_.end()) cookies_.erase(same);
  if (expired || cookies_.size() >= kMaxCookies) return;
  cookies_.push_back(std::move(cookie));
}

std::string TCookieStore::CookieHeader(const std::string& host, const std::string& path) const {
  std::string header;
  for (const TCookie& cookie : cookies_) {
    if (cookie.Secure || cookie.Value.empty()) continue;
    if (FindIgnoreCase(host, cookie.Domain) == std::string::npos) continue;
    if (path.compare(0, cookie.Path.size(), cookie.Path) != 0) continue;
    if (!header.empty()) header += "; ";
    header += cookie.Name + "=" + cookie.Value;
  }
  return header;
}

}  // namespace bailan
