#include "engine/Download.h"

#include "engine/DownloadJob.h"
#include "engine/DownloadManager.h"
#include "engine/EngineSettings.h"
#include "engine/PartialFile.h"
#include "platform/Cp936.h"
#include "platform/Format.h"
#include "platform/Tick.h"
#include "transport/http/HttpClient.h"

namespace bailan {
namespace {

// Status of a partial-content reply: the only answer whose body is our range.
constexpr int kPartialContent = 206;

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

// Blocks are read one at a time but written in groups: one write per group
// instead of one per block costs far less when several segments write into the
// same file at once. A group is written when it is full, and also before a read
// that would wait for the network once its first block has been held for
// kMaxHoldMs, so that a slow connection still shows steady progress. A block
// is counted only after it has been written, and every way out of the loop
// (done, stopped, or an error) writes the blocks already read first: the counts
// never run ahead of the file, and nothing received is lost.
void TDownload::ReceiveBlocks(THttpClient& client) {
  TSegmentTable& table = Manager->Table;
  std::int32_t pendingBytes = 0;
  std::int32_t pendingBlocks = 0;
  std::uint32_t heldSince = 0;
  auto writePending = [&] {
    if (pendingBytes == 0) return;
    stream_.Write(buffer_.data(), static_cast<std::size_t>(pendingBytes));
    for (std::int32_t left = pendingBytes; pendingBlocks > 0; --pendingBlocks) {
      const std::int32_t n = left > kBlockSize ? kBlockSize : left;
      table.RecordBlock(Index, n);
      left -= n;
    }
    pendingBytes = 0;
  };
  auto mustWriteBefore = [&](std::int32_t n) {
    if (pendingBytes == 0) return false;
    if (pendingBytes + n > static_cast<std::int32_t>(buffer_.size())) return true;
    return client.Connection().Buffered() < static_cast<std::size_t>(n) &&
           TickDiff(GetTickCount32(), heldSince) >= kMaxHoldMs;
  };
  try {
    while (!table.StopFlags[Index] && Remaining > 0) {
      const std::int32_t n = Remaining > kBlockSize ? kBlockSize : Remaining;
      if (mustWriteBefore(n)) writePending();
      client.ReadExact(buffer_.data() + pendingBytes, n);
      if (pendingBytes == 0) heldSince = GetTickCount32();
      pendingBytes += n;
      ++pendingBlocks;
      Remaining -= n;
    }
  } catch (...) {
    writePending();
    throw;
  }
  writePending();
}

bool TDownload::IsRequestedRange(const THttpResponse& reply) const {
  const TSegmentRec& segment = Manager->Table.Segments[Index];
  if (reply.StatusCode != kPartialContent || reply.ContentRangeStart != Position ||
      reply.ContentRangeEnd < std::int64_t{segment.End} - 1) {
    return false;
  }
  // "bytes start-end/total": a total that is given must be the run's size.
  const std::string range = reply.Headers.Value("Content-Range");
  const std::size_t slash = range.find('/');
  if (slash == std::string::npos) return true;
  const std::string total = range.substr(slash + 1);
  if (total.empty() || total.find_first_not_of("0123456789") != std::string::npos) return true;  // "*"
  return total.size() <= 10 && std::stoll(total) == Manager->Job->TotalSize;
}

void TDownload::Execute() {
  TSegmentTable& table = Manager->Table;
  try {
    THttpClient client;
    client.SetHandleRedirects(true);
    client.SetReadTimeout(EngineSettings().ReadTimeoutMs);
    client.Request.UserAgent = kBrowserUserAgent;
    client.Request.ContentRangeStart = static_cast<std::uint32_t>(Position);
    client.Request.ContentRangeEnd = static_cast<std::uint32_t>(table.Segments[Index].End.load());
    Remaining = table.Segments[Index].End - Position;
    table.ByteCounters[Index] = 0;
    client.PerformRequest(THttpMethod::hmGet, URL, nullptr, nullptr);

    // Only the range asked for may land in the file: a server that ignores the
    // range, answers another one, or now holds a resource of another size (a
    // resumed run of a file that changed meanwhile) would put the wrong bytes at
    // Position.
    const THttpResponse& reply = client.Response;
    if (Remaining > 0 && !IsRequestedRange(reply)) {
      Manager->Job->Log.Add(
          Format(Cp("线程%d：服务器没有按请求的范围应答（%d），退出.").c_str(), Index, reply.StatusCode));
    } else {
      ReceiveBlocks(client);
      Manager->Job->Log.Add(Format(Cp("线程%d完成退出.").c_str(), Index));
    }
  } catch (...) {
    // Ends quietly: the bytes written so far stay counted for the next run.
  }
  // The client is gone here (its connection closed); the handle goes next, then
  // the flags, so a set done flag means the file is no longer held.
  stream_.Close();
  table.StopFlags[Index] = false;
  table.DoneFlags[Index] = true;
  --Manager->Job->ActiveSegments;
  Manager->SegmentEnded();
}

}  // namespace bailan
