#include "engine/PartialFile.h"

#include "engine/ResumeFile.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Path.h"
#include "platform/Thread.h"
#include "platform/Tick.h"

namespace bailan {
namespace {

// Pause between polls of the done flags: segment threads end within one block.
constexpr std::uint32_t kDonePollMs = 1;

std::string WithoutSuffix(const std::string& path, std::string_view suffix) {
  if (path.size() >= suffix.size() && std::string_view(path).substr(path.size() - suffix.size()) == suffix) {
    return path.substr(0, path.size() - suffix.size());
  }
  return path;
}

}  // namespace

void CreatePartialFile(const std::string& path, std::int32_t length) {
  TFile file = TFile::Create(path, TShareMode::Exclusive);
  file.SetSize(length > 0 ? length : 0);
}

TFile OpenPartialForSegment(const std::string& path, const TSegmentRec& segment) {
  TFile file = TFile::Open(path, TAccess::Write, TShareMode::ReadWrite);
  file.Seek(static_cast<std::int64_t>(segment.Start.load()) + segment.Received.load());
  return file;
}

std::string ChooseFinalName(const std::string& path) {
  if (!FileExists(path)) return path;
  const std::string extension = ExtractFileExt(path);
  const std::string base = path.substr(0, path.size() - extension.size());
  for (int n = 1;; ++n) {
    std::string candidate = Format("%s(%d)%s", base, n, extension);
    if (!FileExists(candidate)) return candidate;
  }
}

std::string FinalisePartialFile(const std::string& partialPath, const std::string& resumePath,
                                const TSegmentTable& table, std::int32_t count, std::uint32_t timeoutMs) {
  const std::uint32_t started = GetTickCount32();
  auto timedOut = [&] { return TickDiff(GetTickCount32(), started) >= timeoutMs; };

  const std::string wanted = WithoutSuffix(partialPath, kPartialSuffix);
  std::string finalPath = ChooseFinalName(wanted);
  std::string reason = "a segment thread still holds the file open";
  while (!table.AllDone(count)) {
    if (timedOut()) {
      throw EInOutError(Format("Cannot rename file \"%s\" to \"%s\". %s", partialPath, finalPath, reason));
    }
    SleepMs(kDonePollMs);
  }
  while (!RenameFile(partialPath, finalPath, &reason)) {
    if (timedOut()) {
      throw EInOutError(Format("Cannot rename file \"%s\" to \"%s\". %s", partialPath, finalPath, reason));
    }
    SleepMs(0);
    finalPath = ChooseFinalName(wanted);  // another file may have taken the name meanwhile
  }
  DeleteFile(resumePath);
  DeleteFile(resumePath + std::string(kResumeTempSuffix));  // a save cut short by a crash
  return finalPath;
}

}  // namespace bailan
