#include "engine/Download.h"

#include <algorithm>
#include <cstring>

#include "engine/DownloadJob.h"
#include "engine/DownloadManager.h"
#include "engine/EngineSettings.h"
#include "engine/PartialFile.h"
#include "platform/Cp936.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/Tick.h"
#include "transport/http/HttpClient.h"
#include "transport/http/TextUtil.h"

namespace bailan {
namespace {

// Status of a partial-content reply: the answer whose body is a range.
constexpr int kPartialContent = 206;
// A size with more digits than this cannot be a 32-bit size.
constexpr std::size_t kMaxSizeDigits = 10;
// The class recorded for a reply that is not the range asked for.
constexpr const char* kRefusedReplyClass = "ERangeError";

}  // namespace

TDownload::TDownload(std::shared_ptr<TDownloadManager> manager, std::int32_t index, std::string url,
                     std::string fileName)
    : Manager(std::move(manager)),
      Index(index),
      Position(Manager->Table.Segments[index].Start + Manager->Table.Segments[index].Received),
      URL(std::move(url)),
      FileName(std::move(fileName)),
      stream_(OpenPartialForSegment(FileName, Manager->Table.Segments[index])) {}

void TDownload::Start(std::shared_ptr<TDownloadManager> manager, std::int32_t index, std::string url,
                      std::string fileName) {
  std::shared_ptr<TDownload> thread(
      new TDownload(std::move(manager), index, std::move(url), std::move(fileName)));
  StartFreeOnTerminate(thread);
}

// Bytes arrive straight in the buffer, as many per receive as the connection
// has ready (at most the range's rest and the buffer's free room), and leave it
// as whole blocks only: when the buffer is full, at the range's end (whose last
// block may be short), and, checked after each receive, once a whole block has
// been held for kMaxHoldMs, so that a slow connection still shows steady
// progress. At full speed one receive and one write each move many blocks. A
// block is counted only after it has been written, and every way out of the
// loop (done, stopped, or an error other than their own write's) writes and
// counts the whole blocks held first; the bytes of a partial block are dropped
// uncounted and asked for again by the next try. The counts never run ahead of
// the file, and they advance by whole blocks.
void TDownload::ReceiveBlocks(THttpClient& client) {
  constexpr auto kBlock = static_cast<std::size_t>(kBlockSize);
  TSegmentTable& table = Manager->Table;
  std::size_t held = 0;          // bytes at the front of buffer_, not yet written
  std::uint32_t wholeSince = 0;  // when the first whole block held was complete
  // A write that failed part-way leaves the file's position unknown: its blocks
  // are not written again on the way out, nor counted.
  bool writeFailed = false;
  auto writeHeld = [&] {
    const std::size_t whole = Remaining == 0 ? held : held - held % kBlock;
    if (whole == 0 || writeFailed) return;
    writeFailed = true;
    stream_.Write(buffer_.data(), whole);
    writeFailed = false;
    for (std::size_t left = whole; left > 0;) {
      const std::size_t n = std::min(left, kBlock);
      table.RecordBlock(Index, static_cast<std::int32_t>(n));
      left -= n;
    }
    held -= whole;
    if (held > 0) std::memmove(buffer_.data(), buffer_.data() + whole, held);
  };
  try {
    while (!table.StopFlags[Index] && Remaining > 0) {
      const bool hadWhole = held >= kBlock;
      const std::size_t n = client.ReadSome(
          buffer_.data() + held, std::min(buffer_.size() - held, static_cast<std::size_t>(Remaining)));
      held += n;
      Remaining -= static_cast<std::int32_t>(n);
      const std::uint32_t now = GetTickCount32();
      if (!hadWhole && held >= kBlock) wholeSince = now;
      if (held == buffer_.size() || Remaining == 0 ||
          (held >= kBlock && TickDiff(now, wholeSince) >= kMaxHoldMs))
        writeHeld();
    }
  } catch (...) {
    writeHeld();
    throw;
  }
  writeHeld();
}

TSegmentOutcome TDownload::CheckReply(const THttpResponse& reply) const {
  const std::int32_t total = Manager->Job->TotalSize;
  TSegmentOutcome verdict;
  // Chunk framing (or any other coding) would be written into the file as data.
  if (!reply.TransferEncoding.empty() && !SameTextIgnoreCase(TrimView(reply.TransferEncoding), "identity")) {
    verdict.End = TSegmentEnd::Refused;
    return verdict;
  }
  if (reply.StatusCode == kPartialContent) {
    // "bytes start-end/total": a total that is given must be the run's size
    // (checked first: a resource that shrank also answers a shorter range).
    const std::string range = reply.Headers.Value("Content-Range");
    const std::size_t slash = range.find('/');
    const std::string given = slash == std::string::npos ? "" : range.substr(slash + 1);
    if (!given.empty() && given.find_first_not_of("0123456789") == std::string::npos) {
      if (given.size() > kMaxSizeDigits || std::stoll(given) != total) {
        verdict.End = TSegmentEnd::Resized;
        return verdict;
      }
    }
    if (reply.ContentRangeStart != Position ||
        reply.ContentRangeEnd < std::int64_t{Manager->Table.Segments[Index].End} - 1) {
      verdict.End = TSegmentEnd::Refused;
    }
    return verdict;
  }
  if (Position == 0 && reply.IsSuccess()) {
    // The whole resource from its first byte: its length is the resource's size.
    if (reply.HasContentLength() && reply.ContentLength != total) verdict.End = TSegmentEnd::Resized;
    return verdict;
  }
  verdict.End = TSegmentEnd::Refused;
  return verdict;
}

// "206, Content-Range: bytes 5-99/1000": what the reply said about its body.
std::string TDownload::DescribeReply(const THttpResponse& reply) {
  std::string detail = std::to_string(reply.StatusCode);
  if (const std::string range = reply.Headers.Value("Content-Range"); !range.empty())
    detail += ", Content-Range: " + range;
  if (!reply.TransferEncoding.empty()) detail += ", Transfer-Encoding: " + reply.TransferEncoding;
  return detail;
}

void TDownload::Execute() {
  TSegmentTable& table = Manager->Table;
  TSegmentOutcome outcome;
  std::string refusedReply;
  try {
    THttpClient client;
    client.SetHandleRedirects(true);
    client.SetReadTimeout(EngineSettings().ReadTimeoutMs);
    client.Connection().SetCanceller(Manager->Canceller(Index));
    client.Request.UserAgent = kBrowserUserAgent;
    client.Request.ContentRangeStart = static_cast<std::uint32_t>(Position);
    client.Request.ContentRangeEnd = static_cast<std::uint32_t>(table.Segments[Index].End.load());
    Remaining = table.Segments[Index].End - Position;
    client.PerformRequest(THttpMethod::hmGet, URL, nullptr, nullptr);

    // Only the range asked for may land in the file: a server that ignores the
    // range, answers another one, frames its body in chunks, or now holds a
    // resource of another size (a resumed run of a file that changed meanwhile)
    // would put the wrong bytes at Position.
    if (Remaining > 0) outcome = CheckReply(client.Response);
    if (outcome.End == TSegmentEnd::Finished) {
      ReceiveBlocks(client);
    } else {
      refusedReply = DescribeReply(client.Response);
    }
  } catch (const Exception& error) {
    outcome = TSegmentOutcome{TSegmentEnd::Failed, error.ClassName(), error.Message()};
  } catch (const std::exception& error) {
    outcome = TSegmentOutcome{TSegmentEnd::Failed, "Exception", error.what()};
  } catch (...) {
    outcome = TSegmentOutcome{TSegmentEnd::Failed, "Exception", "unknown failure"};
  }
  // A stop cuts the connection short: the read it breaks is no failure.
  if (outcome.End == TSegmentEnd::Failed && table.StopFlags[Index]) outcome = TSegmentOutcome{};

  TJobLog& log = Manager->Job->Log;
  if (outcome.End == TSegmentEnd::Finished) {
    log.Add(Format(Cp("线程%d完成退出.").c_str(), Index));
  } else if (outcome.End != TSegmentEnd::Failed) {
    log.Add(Format(Cp("线程%d：服务器没有按请求的范围应答（%s），退出.").c_str(), Index, refusedReply));
    outcome.ErrorClass = kRefusedReplyClass;
    outcome.ErrorMessage =
        outcome.End == TSegmentEnd::Resized
            ? Format("Segment %d: the server now holds a resource of another size (%s)", Index, refusedReply)
            : Format("Segment %d: the server did not answer with the requested range (%s)", Index,
                     refusedReply);
  }
  Finish(std::move(outcome));
}

// The client is gone here (its connection closed); the handle goes next, then
// the flags, so a set done flag means the file is no longer held and the
// outcome is there to be read.
void TDownload::Finish(TSegmentOutcome outcome) {
  TSegmentTable& table = Manager->Table;
  stream_.Close();
  Manager->SetOutcome(Index, std::move(outcome));
  table.StopFlags[Index] = false;
  table.DoneFlags[Index].store(true, std::memory_order_release);
  --Manager->Job->ActiveSegments;
  Manager->SegmentEnded();
}

}  // namespace bailan
