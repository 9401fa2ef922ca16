#pragma once

#include <cstddef>
#include <string>

#include "transport/http/CookieStore.h"
#include "transport/http/HttpResponse.h"
#include "transport/http/NetExceptions.h"

namespace bailan {

// Most header lines one response head may hold, interim 100 answers included:
// a peer cannot keep the client reading a head forever.
inline constexpr std::size_t kMaxHeadLines = 1000;

// Where a response head came from: its cookies are stored for this host and path.
struct TResponseOrigin {
  std::string Host;
  std::string Path;
};

// Reads one response head from `source` (std::string ReadLine(), as
// TTcpConnection offers) into `response`: the status line, header lines up to the
// empty line (continuation lines joined), the fields, and the Set-Cookie values
// into `cookies` (when given). Interim 100 answers are skipped. Returns false
// when the peer closed the connection while the header block was read (the
// block ends there); a close before the status line raises.
template <typename Source>
bool ReadResponseHead(Source& source, THttpResponse& response, TCookieStore* cookies,
                      const TResponseOrigin& origin) {
  std::size_t lines = 0;
  for (;;) {
    response.Clear();
    if (++lines > kMaxHeadLines) throw EReadLnMaxLineLengthExceeded(kTooManyHeaderLinesText);
    response.SetStatusLine(source.ReadLine());
    bool complete = true;
    try {
      for (std::string line = source.ReadLine(); !line.empty(); line = source.ReadLine()) {
        if (++lines > kMaxHeadLines) throw EReadLnMaxLineLengthExceeded(kTooManyHeaderLinesText);
        response.Headers.AddReceivedLine(line);
      }
    } catch (const EConnClosedGracefully&) {
      complete = false;
    }
    response.TakeFields();
    if (cookies) {
      for (const std::string& value : response.Headers.Values("Set-cookie"))
        cookies->Add(value, origin.Host, origin.Path, false);
      for (const std::string& value : response.Headers.Values("Set-cookie2"))
        cookies->Add(value, origin.Host, origin.Path, true);
    }
    if (response.StatusCode != 100 || !complete) return complete;
  }
}

}  // namespace bailan
