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
// Most bytes of those lines together (terminators not counted): far above any
// real head, and low enough that joining folded lines and looking fields up
// stays cheap whatever a peer sends.
inline constexpr std::size_t kMaxHeadBytes = 256 * 1024;

namespace detail {

// Counts one line of the head against both limits.
inline void CountHeadLine(std::size_t& lines, std::size_t& bytes, const std::string& line) {
  if (++lines > kMaxHeadLines) throw EReadLnMaxLineLengthExceeded(kTooManyHeaderLinesText);
  bytes += line.size();
  if (bytes > kMaxHeadBytes) throw EReadLnMaxLineLengthExceeded(kResponseHeadTooLongText);
}

}  // namespace detail

// Where a response head came from: its cookies are stored for this host and path.
struct TResponseOrigin {
  std::string Host;
  std::string Path;
};

// Reads one response head from `source` (std::string ReadLine(), as
// TTcpConnection offers) into `response`, within kMaxHeadLines and
// kMaxHeadBytes (EReadLnMaxLineLengthExceeded past them): the status line, header lines up to the
// empty line (continuation lines joined), the fields, and the Set-Cookie values
// into `cookies` (when given). Interim 100 answers are skipped. Returns false
// when the peer closed the connection while the header block was read (the
// block ends there); a close before the status line raises.
template <typename Source>
bool ReadResponseHead(Source& source, THttpResponse& response, TCookieStore* cookies,
                      const TResponseOrigin& origin) {
  std::size_t lines = 0, bytes = 0;
  for (;;) {
    response.Clear();
    std::string status = source.ReadLine();
    detail::CountHeadLine(lines, bytes, status);
    response.SetStatusLine(std::move(status));
    bool complete = true;
    try {
      for (std::string line = source.ReadLine(); !line.empty(); line = source.ReadLine()) {
        detail::CountHeadLine(lines, bytes, line);
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
