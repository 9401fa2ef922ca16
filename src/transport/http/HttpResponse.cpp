#include "transport/http/HttpResponse.h"

#include "transport/http/NetExceptions.h"
#include "transport/http/TextUtil.h"

namespace bailan {
namespace {

std::int64_t ParseRangeNumber(std::string_view text) {
  std::optional<std::int64_t> value = ParseInt64(text);
  if (!value) RaiseNotAnInteger(std::string(text));
  return *value;
}

}  // namespace

int ParseStatusCode(const std::string& statusLine) {
  std::string_view rest = statusLine;
  Fetch(rest, ' ');
  rest = TrimView(rest);
  std::optional<std::int32_t> code = ParseInt32(Fetch(rest, ' '));
  return code ? *code : -1;
}

void THttpResponse::Clear() {
  *this = THttpResponse();
}

void THttpResponse::SetStatusLine(std::string line) {
  StatusLine = std::move(line);
  StatusCode = ParseStatusCode(StatusLine);
}

void THttpResponse::TakeFields() {
  Location = Headers.Value("Location");
  Server = Headers.Value("Server");
  ProxyConnection = Headers.Value("Proxy-Connection");
  Connection = Headers.Value("Connection");
  ContentType = Headers.Value("Content-Type");
  TransferEncoding = Headers.Value("Transfer-Encoding");

  std::optional<std::int32_t> length = ParseInt32(Headers.Value("Content-Length"));
  ContentLength = length && *length >= 0 ? *length : -1;

  ContentRangeStart = ContentRangeEnd = 0;
  if (Headers.Has("Content-Range")) {
    std::string range = Headers.Value("Content-Range");
    std::string_view rest = range;
    Fetch(rest, ' ');
    std::string_view start = Fetch(rest, '-');
    std::string_view end = Fetch(rest, '/');
    ContentRangeStart = ParseRangeNumber(start);
    ContentRangeEnd = ParseRangeNumber(end);
  }
}

}  // namespace bailan
