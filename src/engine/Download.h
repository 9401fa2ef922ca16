#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/File.h"
#include "platform/Thread.h"

namespace bailan {

class TDownloadManager;
class THttpClient;
class THttpResponse;

// A segment thread: fetches one byte range of the resource over its own HTTP
// connection and copies it in blocks straight into the partial file at the
// segment's offsets, counting each block into the segment table as it lands.
class TDownload : public TThread {
 public:
  // Bytes read and written per block; the buffer is part of the object, so the
  // block loop allocates nothing.
  static constexpr std::int32_t kBlockSize = 10240;
  // Blocks written to the file with one write.
  static constexpr std::int32_t kBlocksPerWrite = 6;
  // Longest time a block read waits unwritten (and uncounted) before a read
  // that has to wait for the network.
  static constexpr std::uint32_t kMaxHoldMs = 200;

  // Called by the job transfer thread for segment `index`: opens the partial file
  // for shared writing at Start + Received of the segment (a failure reaches the
  // caller and no thread runs), then starts the thread, which owns itself and
  // keeps `manager` alive until it has ended.
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
  // A 206 answer for exactly this request: its range starts at Position, reaches
  // the segment's last byte, and belongs to a resource of the run's size.
  bool IsRequestedRange(const THttpResponse& reply) const;

  TDownload(std::shared_ptr<TDownloadManager> manager, std::int32_t index, std::string url,
            std::string fileName);

  TFile stream_;
  std::array<char, kBlockSize * kBlocksPerWrite> buffer_;
};

}  // namespace bailan
