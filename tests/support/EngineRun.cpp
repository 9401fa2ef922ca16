#include "support/EngineRun.h"

#include <regex>

#include "platform/Cp936.h"
#include "platform/Thread.h"
#include "platform/Tick.h"

namespace bailan::test {

TEngineRun::TEngineRun(const std::string& url, const std::string& folder, std::int32_t segments, bool extract,
                       const std::string& sha256) {
  TResourceRec record{};
  record.PublishTime = TDateTime::Now();
  record.Name = "test";
  record.URL = url;
  record.SavePath = folder;
  record.SegCount = segments;
  record.Flag = 1;
  record.Sha256 = sha256;
  Job = Lists->AddPendingJob(record, false);
  Job->ExtractArchive = extract;
}

bool TEngineRun::RunToEnd(std::uint32_t timeoutMs) {
  Job->StartDownload();
  bool ended = Job->WaitUntilIdle(timeoutMs);
  if (ended) WaitForThreads();
  return ended;
}

bool TEngineRun::StopAndWait(std::uint32_t timeoutMs) {
  Job->RequestStop();
  bool ended = Job->WaitUntilIdle(timeoutMs);
  if (ended) WaitForThreads();
  return ended;
}

void TEngineRun::WaitForThreads(std::uint32_t timeoutMs) {
  const std::uint32_t started = GetTickCount32();
  // The list holds one reference while the job is listed, this object one.
  while (Job.use_count() > 1 + Lists->JobCount() && TickDiff(GetTickCount32(), started) < timeoutMs)
    SleepMs(2);
}

std::vector<std::string> TEngineRun::UntimedLog() const {
  static const std::regex stamp(R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\] )");
  std::vector<std::string> out;
  for (const std::string& line : Job->Log.Lines()) out.push_back(std::regex_replace(line, stamp, ""));
  return out;
}

std::string ResumeFileImage(std::int32_t total, std::int32_t count,
                            const std::vector<std::array<std::int32_t, 3>>& segments) {
  auto le32 = [](std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
  };
  std::string out = le32(total) + le32(count);
  for (const auto& segment : segments) out += le32(segment[0]) + le32(segment[1]) + le32(segment[2]);
  return out;
}

std::string PatternBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

TFileServingOptions Throttled(std::size_t blockSize, int delayMs) {
  TFileServingOptions options;
  options.BlockSize = blockSize;
  options.BlockDelayMs = delayMs;
  return options;
}

std::string LogText(const char* utf8) {
  return Utf8ToCp936(utf8);
}

}  // namespace bailan::test
