#include "engine/Download.h"

#include "engine/DownloadJob.h"
#include "engine/DownloadManager.h"
#include "engine/EngineSettings.h"
#include "engine/PartialFile.h"
#include "platform/Cp936.h"
#include "platform/Format.h"
#include "transport/HttpClient.h"

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

void TDownload::Execute() {
  TSegmentTable& table = Manager->Table;
  try {
    THttpClient client;
    client.SetHandleRedirects(true);
    client.SetReadTimeout(EngineSettings().ReadTimeoutMs);
    client.Request.UserAgent = kEngineUserAgent;
    client.Request.ContentRangeStart = static_cast<std::uint32_t>(Position);
    client.Request.ContentRangeEnd = static_cast<std::uint32_t>(table.Segments[Index].End.load());
    Remaining = table.Segments[Index].End - Position;
    table.ByteCounters[Index] = 0;
    client.PerformRequest(THttpMethod::hmGet, URL, nullptr, nullptr);

    // Only the range asked for may land in the file: a server that ignores the
    // range, or answers another one, would put the wrong bytes at Position.
    const THttpResponse& reply = client.Response;
    const std::int64_t lastWanted = std::int64_t{table.Segments[Index].End} - 1;
    if (Remaining > 0 && (reply.StatusCode != kPartialContent || reply.ContentRangeStart != Position ||
                          static_cast<std::int64_t>(reply.ContentRangeEnd) < lastWanted)) {
      Manager->Job->Log.Add(
          Format(Cp("线程%d：服务器没有按请求的范围应答（%d），退出.").c_str(), Index, reply.StatusCode));
    } else {
      while (!table.StopFlags[Index] && Remaining > 0) {
        const std::int32_t n = Remaining > kBlockSize ? kBlockSize : Remaining;
        client.ReadExact(buffer_.data(), n);
        stream_.Write(buffer_.data(), static_cast<std::size_t>(n));
        table.RecordBlock(Index, n);
        Remaining -= n;
      }
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
