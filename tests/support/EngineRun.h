#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "engine/DownloadJob.h"
#include "receive/ReceiveLists.h"
#include "support/TestServer.h"

namespace bailan::test {

// One job of the transfer engine driven as the window drives it: a pending
// record and its job in a fresh list model.
struct TEngineRun {
  std::shared_ptr<TReceiveLists> Lists = TReceiveLists::Create();
  std::shared_ptr<TDownloadJob> Job;

  // Creates the record and the job (not started); a non-empty `sha256` is the
  // archive's expected digest in hex.
  TEngineRun(const std::string& url, const std::string& folder, std::int32_t segments = 3,
             bool extract = false, const std::string& sha256 = "");

  // Starts a run and waits until it has ended; false when it did not end within
  // `timeoutMs`.
  bool RunToEnd(std::uint32_t timeoutMs = 20000);
  // Asks the running run to stop and waits until it has ended; false on time-out.
  bool StopAndWait(std::uint32_t timeoutMs = 20000);
  // Waits until the run's thread has let go of the job (after Running fell to 0).
  void WaitForThreads(std::uint32_t timeoutMs = 5000);

  // The log's lines with their "[yyyy-mm-dd hh:nn:ss] " stamps checked and removed;
  // a line without a well-formed stamp is kept whole.
  std::vector<std::string> UntimedLog() const;
};

// The bytes of a resume file: the header, then {Start, End, Received} of each
// segment, little-endian.
std::string ResumeFileImage(std::int32_t total, std::int32_t count,
                            const std::vector<std::array<std::int32_t, 3>>& segments);

// `size` bytes of a fixed, non-repeating-looking pattern for transfer checks.
std::string PatternBytes(std::size_t size);

// File serving in blocks of `blockSize` bytes with a pause after each: a slow
// server, so that a run can be stopped in its middle.
TFileServingOptions Throttled(std::size_t blockSize, int delayMs);

// The engine's log texts as UTF-8 source, converted to the system's text.
std::string LogText(const char* utf8);

}  // namespace bailan::test
