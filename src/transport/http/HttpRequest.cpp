#include "transport/http/HttpRequest.h"

namespace bailan {
namespace {

void AddIfSet(THeaderList& headers, const char* name, const std::string& value) {
  if (!value.empty()) headers.Add(name, value);
}

}  // namespace

const char* MethodWord(THttpMethod method) {
  switch (method) {
    case THttpMethod::hmHead:
      return "HEAD";
    case THttpMethod::hmGet:
      return "GET";
    case THttpMethod::hmPost:
      return "POST";
    case THttpMethod::hmOptions:
      return "OPTIONS";
    case THttpMethod::hmTrace:
      return "TRACE";
    case THttpMethod::hmPut:
      return "PUT";
    case THttpMethod::hmDelete:
      return "DELETE";
    case THttpMethod::hmConnect:
      return "CONNECT";
  }
  return "GET";
}

std::string THttpRequest::RangeValue() const {
  if (ContentRangeEnd != 0) {
    return "bytes=" + std::to_string(ContentRangeStart) + "-" + std::to_string(ContentRangeEnd);
  }
  if (ContentRangeStart != 0) return "bytes=" + std::to_string(ContentRangeStart) + "-";
  return std::string();
}

std::string THttpRequest::BuildHead(THttpMethod method, const std::string& target, TProtocolVersion version,
                                    const std::string& cookie) const {
  THeaderList headers;
  std::string connection = Connection;
  if (version == TProtocolVersion::pv1_0 && connection.empty()) connection = "keep-alive";
  AddIfSet(headers, "Connection", connection);
  AddIfSet(headers, "Content-Version", ContentVersion);
  AddIfSet(headers, "Content-Encoding", ContentEncoding);
  AddIfSet(headers, "Content-Language", ContentLanguage);
  AddIfSet(headers, "Content-Type", ContentType);
  if (ContentLength >= 0) headers.Add("Content-Length", std::to_string(ContentLength));
  AddIfSet(headers, "Cache-control", CacheControl);
  AddIfSet(headers, "Pragma", Pragma);
  for (const std::string& line : CustomHeaders.Lines()) headers.AddReceivedLine(line);
  AddIfSet(headers, "Proxy-Connection", ProxyConnection);
  AddIfSet(headers, "Host", Host);
  AddIfSet(headers, "Accept", Accept);
  AddIfSet(headers, "Accept-Charset", AcceptCharset);
  AddIfSet(headers, "Accept-Encoding", AcceptEncoding);
  AddIfSet(headers, "Accept-Language", AcceptLanguage);
  AddIfSet(headers, "From", From);
  AddIfSet(headers, "Referer", Referer);
  AddIfSet(headers, "User-Agent", UserAgent);
  AddIfSet(headers, "Range", RangeValue());
  AddIfSet(headers, "Cookie", cookie);

  std::string head = MethodWord(method);
  head += ' ';
  head += target;
  head += version == TProtocolVersion::pv1_0 ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n";
  for (const std::string& line : headers.FoldedLines()) {
    head += line;
    head += "\r\n";
  }
  head += "\r\n";
  return head;
}

}  // namespace bailan
