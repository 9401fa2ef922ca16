#pragma once

#include <cstdint>
#include <string>

#include "transport/http/HeaderList.h"

namespace bailan {

// The status line and header fields of the last response, refilled for every
// response of an operation.
class THttpResponse {
 public:
  std::string StatusLine;
  int StatusCode = -1;  // -1 when the status line holds no decimal code
  THeaderList Headers;
  // The Content-Length as a signed 32-bit decimal integer, -1 when absent or not
  // a valid size (negative, too large, or not a number).
  std::int32_t ContentLength = -1;
  std::string Location;
  std::string Connection;
  std::string ProxyConnection;
  std::string Server;
  std::string ContentType;
  std::string TransferEncoding;
  std::int64_t ContentRangeStart = 0;
  std::int64_t ContentRangeEnd = 0;

  bool HasContentLength() const { return ContentLength >= 0; }
  bool IsRedirect() const { return (StatusCode / 100 == 3 && StatusCode != 304) || !Location.empty(); }
  bool IsSuccess() const { return StatusCode / 100 == 2; }
  bool IsChunked() const { return TransferEncoding.find("chunked") != std::string::npos; }

  // Empties every field before the next response is read.
  void Clear();
  // Sets StatusLine and StatusCode from the first line of a response.
  void SetStatusLine(std::string line);
  // Takes the fields out of Headers. A Content-Range whose start or end is not a
  // decimal integer raises EConvertError.
  void TakeFields();
};

// The status code of a status line: the first word removed, the rest trimmed,
// the text up to the next space read as a decimal integer; -1 when it is none.
int ParseStatusCode(const std::string& statusLine);

}  // namespace bailan
