#include "RangeCheck.h"

#include <algorithm>
#include <vector>

#include "platform/Exception.h"
#include "platform/Format.h"
#include "transport/http/HttpClient.h"
#include "transport/http/TextUtil.h"

namespace bailan::cli {
namespace {

constexpr int kPartialContent = 206;
constexpr std::int64_t kRangeBlockSize = 32768;  // bytes of a range held at once
// A size with more digits than this is no 32-bit size.
constexpr std::size_t kMaxSizeDigits = 10;

bool IsClose(const std::string& value) {
  return SameTextIgnoreCase(Trim(value), "close");
}

// The total after the "/" of a Content-Range, -1 when it gives none ("*") or
// no number.
std::int64_t RangeTotal(const THttpResponse& reply) {
  const std::string range = reply.Headers.Value("Content-Range");
  const std::size_t slash = range.find('/');
  const std::string total = slash == std::string::npos ? "" : Trim(range.substr(slash + 1));
  if (total.empty() || total.size() > kMaxSizeDigits ||
      total.find_first_not_of("0123456789") != std::string::npos)
    return -1;
  return std::stoll(total);
}

// The rows of one range, named "range K" after its segment.
class TRangeRows {
 public:
  // Borrows the entry and the report for its life; the check's thread.
  TRangeRows(const TCheckEntry& entry, const TRangeAsk& ask, TCheckReport& report)
      : entry_(entry), check_(Format("range %d", ask.Index)), report_(report) {}
  void Fail(const std::string& detail) { report_.Fail(entry_.Section, entry_.Url, check_, detail); }
  void Warn(const std::string& detail) { report_.Warn(entry_.Section, entry_.Url, check_, detail); }

 private:
  const TCheckEntry& entry_;
  std::string check_;
  TCheckReport& report_;
};

// False, with its rows, when the answer's body cannot be the segment's bytes.
bool CheckReply(const THttpResponse& reply, const TRangeAsk& ask, const std::string& asked,
                TRangeRows& rows) {
  bool usable = true;
  if (!reply.TransferEncoding.empty() && !SameTextIgnoreCase(Trim(reply.TransferEncoding), "identity")) {
    rows.Fail(asked + ": Transfer-Encoding: " + reply.TransferEncoding +
              " on a ranged answer: the job would write the chunk framing into the archive");
    usable = false;
  }
  if (reply.StatusCode != kPartialContent) {
    if (ask.Start == 0 && reply.IsSuccess()) {
      rows.Warn(Format("%s answered %d instead of 206: ranges are ignored (from byte 0 the job takes it)",
                       asked, reply.StatusCode));
    } else {
      rows.Fail(Format("%s answered %d instead of 206: ranges ignored", asked, reply.StatusCode));
      usable = false;
    }
  } else if (reply.ContentRangeStart != ask.Start) {
    rows.Fail(Format("%s: the body starts at byte %lld, not at the asked byte %d", asked,
                     static_cast<long long>(reply.ContentRangeStart), ask.Start));
    usable = false;
  } else if (reply.ContentRangeEnd < std::int64_t{ask.End} - 1) {
    rows.Fail(Format("%s: the answer ends at byte %lld, short of byte %d", asked,
                     static_cast<long long>(reply.ContentRangeEnd), ask.End - 1));
    usable = false;
  } else if (const std::int64_t total = RangeTotal(reply); total >= 0 && total != ask.Total) {
    rows.Fail(Format("%s: Content-Range gives the size %lld where HEAD gave %d: the job starts afresh", asked,
                     static_cast<long long>(total), ask.Total));
  }
  if (IsClose(reply.Connection) || IsClose(reply.ProxyConnection)) {
    rows.Fail(asked +
              ": \"Connection: close\" on a ranged answer: the job reads the body off a connection "
              "that must stay open");
    usable = false;
  }
  return usable;
}

}  // namespace

bool CheckRange(const TCheckEntry& entry, const TRangeAsk& ask, const TCheckSettings& settings,
                TWholeBody* whole, TSha256& ranges, TCheckReport& report) {
  TRangeRows rows(entry, ask, report);
  THttpClient client;
  client.SetHandleRedirects(true);
  client.SetReadTimeout(settings.ReadTimeoutMs);
  client.Request.UserAgent = kBrowserUserAgent;
  client.Request.ContentRangeStart = static_cast<std::uint32_t>(ask.Start);
  client.Request.ContentRangeEnd = static_cast<std::uint32_t>(ask.End);
  const std::string asked = client.Request.RangeValue();
  try {
    client.PerformRequest(THttpMethod::hmGet, entry.Url, nullptr, nullptr);
  } catch (const std::exception& error) {
    rows.Fail(asked + ": " + FailureText(error));
    return false;
  }
  if (!CheckReply(client.Response, ask, asked, rows)) return false;

  std::vector<char> block(
      static_cast<std::size_t>(std::min<std::int64_t>(kRangeBlockSize, ask.End - ask.Start)));
  std::int64_t offset = ask.Start;
  try {
    while (offset < ask.End) {
      const std::int64_t n = std::min<std::int64_t>(kRangeBlockSize, ask.End - offset);
      client.ReadExact(block.data(), n);
      ranges.Update(block.data(), static_cast<std::size_t>(n));
      if (whole) {
        const std::int64_t differs =
            whole->FirstDifference(offset, block.data(), static_cast<std::size_t>(n));
        if (differs >= 0) {
          rows.Fail(
              Format("%s: byte %lld differs from the whole GET's", asked, static_cast<long long>(differs)));
          return false;
        }
      }
      offset += n;
    }
  } catch (const std::exception& error) {
    rows.Fail(Format("%s: the body broke off after %lld of %d bytes: %s", asked,
                     static_cast<long long>(offset - ask.Start), ask.End - ask.Start, FailureText(error)));
    return false;
  }
  return true;
}

}  // namespace bailan::cli
