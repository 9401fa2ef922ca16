// Fuzzes the response-head reader: status line, header lines with
// continuations, the field rules (Content-Length, Content-Range) and the cookie
// store fed from Set-Cookie and Set-Cookie2. Any input must end in a result or
// one of the system's failures, never a crash or unbounded growth, and no
// cookie may carry a control character into the next request.
#include <cstdint>

#include "fuzz_http_source.h"
#include "transport/http/CookieStore.h"
#include "transport/http/ResponseHeadReader.h"
#include "transport/http/TextUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bailan;
  fuzz::TByteSource source(data, size);
  THttpResponse response;
  TCookieStore cookies;
  try {
    ReadResponseHead(source, response, &cookies, TResponseOrigin{"www.example.com", "/dir/"});
    (void)response.IsRedirect();
    // No byte of an answer may break the head of the next request.
    if (HasControlCharacter(cookies.CookieHeader("www.example.com", "/dir/file"))) __builtin_trap();
  } catch (const Exception&) {
    // A failure with the system's class and text is a correct outcome.
  }
  if (cookies.Count() > TCookieStore::kMaxCookies) __builtin_trap();
  return 0;
}
