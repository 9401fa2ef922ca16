#pragma once

#include <cstdint>
#include <string>

#include "transport/http/HeaderList.h"

namespace bailan {

enum class THttpMethod { hmHead, hmGet, hmPost, hmOptions, hmTrace, hmPut, hmDelete, hmConnect };
enum class TProtocolVersion { pv1_0, pv1_1 };

// The user agent of the size probe and the segment requests.
inline constexpr const char* kBrowserUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Maxthon)";

// The request header fields. A field that is empty (or zero, or -1 for
// ContentLength) produces no header line. Host and ContentLength are computed by
// the client for every request.
class THttpRequest {
 public:
  static constexpr const char* kDefaultUserAgent = "Mozilla/3.0 (compatible; Bailan Library)";
  static constexpr const char* kDefaultAccept = "text/html, */*";
  static constexpr const char* kDefaultContentType = "text/html";

  std::string UserAgent = kDefaultUserAgent;
  std::string Accept = kDefaultAccept;
  std::string ContentType = kDefaultContentType;  // sent with every request, GET and HEAD too
  // Both 0: no Range header; only the start: "bytes=start-"; else "bytes=start-end".
  std::uint32_t ContentRangeStart = 0;
  std::uint32_t ContentRangeEnd = 0;
  std::string Host;
  std::int64_t ContentLength = -1;
  std::string Connection;  // with pv1_0 an empty value is sent as "keep-alive"
  std::string ProxyConnection;
  std::string ContentVersion;
  std::string ContentEncoding;
  std::string ContentLanguage;
  std::string CacheControl;
  std::string Pragma;
  THeaderList CustomHeaders;
  std::string AcceptCharset;
  std::string AcceptEncoding;
  std::string AcceptLanguage;
  std::string From;
  std::string Referer;
  // From a URL's user information; never sent.
  std::string Username;
  std::string Password;

  // The complete head: request line, header lines in their fixed order, each
  // ending with CR LF, and the empty line. `cookie` is the Cookie value (empty:
  // no Cookie header).
  std::string BuildHead(THttpMethod method, const std::string& target, TProtocolVersion version,
                        const std::string& cookie) const;

  // The Range value, empty when no range is set.
  std::string RangeValue() const;
};

// The word of the request line ("GET", "HEAD", ...).
const char* MethodWord(THttpMethod method);

}  // namespace bailan
