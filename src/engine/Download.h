#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/SegmentOutcome.h"
#include "platform/File.h"
#include "platform/Thread.h"

namespace bailan {

class TDownloadManager;
class THttpClient;
class THttpResponse;

// A segment thread: fetches one byte range of the resource over its own HTTP
// connection and copies it in blocks straight into the partial file at the
// segment's offsets, counting each block into the segment table as it lands.
// One object is one try: when it ends early, its job transfer thread may start
// another for the same slot, which carries on from the slot's Received count.
class TDownload : public TThread {
 public:
  // The unit of counting: the segment table and the resume file advance by
  // whole blocks (a range's last block may be short).
  static constexpr std::int32_t kBlockSize = 10240;
  // Blocks the receive buffer holds and, at most, one write carries: at full
  // speed a receive and a write each move many blocks, so few system calls are
  // spent per byte.
  static constexpr std::int32_t kBlocksPerWrite = 100;
  // The receive buffer (1,024,000 bytes) is part of the object, so the block
  // loop allocates nothing.
  static constexpr std::size_t kBufferBytes = std::size_t{kBlockSize} * kBlocksPerWrite;
  // Longest time a whole block waits unwritten (and uncounted), checked after
  // each receive, so that a slow connection still shows progress block by block.
  static constexpr std::uint32_t kMaxHoldMs = 200;

  // Called by the job transfer thread for segment `index`: opens the partial file
  // for shared writing at Start + Received of the segment (a failure reaches the
  // caller and no thread runs), then starts the thread, which owns itself and
  // keeps `manager` alive until it has ended. Its connection can be cut short
  // through the manager's canceller of the slot; it reports how it ended in the
  // manager's outcome of the slot before it sets its done flag.
  static void Start(std::shared_ptr<TDownloadManager> manager, std::int32_t index, std::string url,
                    std::string fileName);

  const std::shared_ptr<TDownloadManager> Manager;
  const std::int32_t Index;
  const std::int32_t Position;  // where this run's request starts
  std::int32_t Remaining = 0;
  const std::string URL;
  const std::string FileName;

 protected:
  void Execute() override;

 private:
  void ReceiveBlocks(THttpClient& client);
  // Whether the reply's body is this request's range: a plainly length-delimited
  // 206 whose range starts at Position, reaches the segment's last byte and
  // belongs to a resource of the run's size, or, for a request from byte 0, any
  // such 2xx answer (a server that ignores ranges sends the resource from its
  // first byte). Finished when it is; otherwise why not.
  TSegmentOutcome CheckReply(const THttpResponse& reply) const;
  static std::string DescribeReply(const THttpResponse& reply);
  void Finish(TSegmentOutcome outcome);

  TDownload(std::shared_ptr<TDownloadManager> manager, std::int32_t index, std::string url,
            std::string fileName);

  TFile stream_;
  std::array<char, kBufferBytes> buffer_;
};

}  // namespace bailan
