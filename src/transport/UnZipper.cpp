#include "transport/UnZipper.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "transport/Exploder.h"
#include "transport/Unreducer.h"
#include "transport/Unshrinker.h"
#include "transport/ZipBitReader.h"
#include "transport/ZipDestination.h"
#include "transport/ZipDosTime.h"
#include "transport/ZipEntryInput.h"
#include "transport/ZipEntryOutput.h"
#include "transport/ZipExceptions.h"
#include "transport/ZipExtractBuffers.h"
#include "transport/ZipFileReader.h"
#include "transport/ZipRecords.h"
#include "transport/ZipWindow.h"

namespace bailan {
namespace {

using namespace zip;

constexpr const char* kUnknownMethodText = "Unknown Compression Method";
constexpr const char* kUnknownMethodCaption = "Zip Error";
// The MS-DOS attribute bits an entry's external attributes carry over.
constexpr std::uint32_t kDosAttributeMask = faReadOnly | faHidden | faSysFile | faArchive;

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// Sets the busy flag for one operation.
class TBusyScope {
 public:
  explicit TBusyScope(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
  ~TBusyScope() { flag_ = false; }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

 private:
  std::atomic<bool>& flag_;
};

}  // namespace

bool IsSupportedZipMethod(std::uint16_t method) {
  return method == kStored || method == kShrunk || (method >= kReduced1 && method <= kReduced4) ||
         method == kImploded || method == kDeflated;
}

TUnZipper::TUnZipper() : Notifier(DefaultUnzipNotifier()) {}

TUnZipper::~TUnZipper() = default;

void TUnZipper::SetZipName(const std::string& name) {
  if (!SameNameIgnoringCase(name, zipName_)) {
    CloseArchive();
    Reset();
  }
  zipName_ = name;
}

void TUnZipper::SetDestDir(const std::string& folder) {
  destDir_ = folder;
  if (destDir_.size() > 1 && EndsWithPathDelim(destDir_)) destDir_.pop_back();
}

void TUnZipper::Reset() {
  directoryRead_ = false;
  entries_.clear();
}

void TUnZipper::OpenArchive() {
  if (!archive_.IsOpen()) archive_ = TFile::Open(zipName_, TAccess::Read, TShareMode::ReadWrite);
}

void TUnZipper::CloseArchive() {
  archive_.Close();
}

void TUnZipper::ReadDirectoryFromArchive() {
  Reset();
  TDateTime date;
  GetFileDate(zipName_, date);
  entries_ = TZipDirectoryReader(archive_, zipName_, IncompleteZipMode).Read();
  archiveDate_ = date;
  directoryRead_ = true;
}

bool TUnZipper::DirectoryIsCurrent() const {
  TDateTime date;
  return directoryRead_ && GetFileDate(zipName_, date) && date == archiveDate_;
}

void TUnZipper::ReadDirectory() {
  TBusyScope busy(busy_);
  try {
    OpenArchive();
    ReadDirectoryFromArchive();
  } catch (const EIncompleteZip&) {
    Reset();  // not an archive (yet): nothing read, no failure
  } catch (...) {
    CloseArchive();
    Reset();
    throw;
  }
  if (!KeepZipOpen) CloseArchive();
}

std::vector<const TZipEntry*> TUnZipper::MarkedEntries() const {
  std::vector<const TZipEntry*> marked;
  if (!DoAll) return marked;
  for (const TZipEntry& entry : entries_) marked.push_back(&entry);
  if (SortMode == TUZSortMode::ByName) {
    std::stable_sort(marked.begin(), marked.end(),
                     [](const TZipEntry* a, const TZipEntry* b) { return a->FileName < b->FileName; });
  }
  return marked;
}

int TUnZipper::ExtractMarked() {
  TBusyScope busy(busy_);
  struct TCloseScope {
    TUnZipper& owner;
    ~TCloseScope() {
      if (!owner.KeepZipOpen) owner.CloseArchive();
    }
  } closeScope{*this};
  OpenArchive();
  if (!DirectoryIsCurrent()) ReadDirectoryFromArchive();
  std::vector<const TZipEntry*> marked = MarkedEntries();
  if (marked.empty()) return 0;
  if (!destDir_.empty() && !DirectoryExists(destDir_)) ForceDirectories(destDir_);
  TZipExtractBuffers buffers;
  int handled = 0;
  for (const TZipEntry* entry : marked) {
    if (ExtractEntry(*entry, buffers)) ++handled;
  }
  return handled;
}

bool TUnZipper::ExtractEntry(const TZipEntry& entry, TZipExtractBuffers& buffers) {
  TZipDestination destination;
  if (!ResolveZipDestination(destDir_, RecreateDirs, entry, destination)) return false;
  if (!DirectoryExists(destination.Folder)) ForceDirectories(destination.Folder);
  if (entry.IsDirectory()) return DirectoryExists(destination.Folder);
  if (entry.IsEncrypted()) return false;  // no password is ever set
  if (!IsSupportedZipMethod(entry.Method)) {
    if (Notifier) Notifier->Notify(kUnknownMethodText, kUnknownMethodCaption);
    return false;
  }
  bool found = false;
  std::uint64_t dataOffset = LocateEntryData(entry, found);
  if (!found) return false;
  if (!MakeRoomForFile(entry, destination.FullName)) return false;
  if (!WriteEntryFile(entry, dataOffset, destination.FullName, buffers)) return false;
  ApplyTimeAndAttributes(entry, destination.FullName);
  return true;
}

// Reads the local header and returns where the entry's data starts; `found`
// is false when no local header is at the entry's offset (nor, for a displaced
// directory, at the offset shifted by as much).
std::uint64_t TUnZipper::LocateEntryData(const TZipEntry& entry, bool& found) {
  found = false;
  std::uint64_t offsets[2] = {entry.LocalHeaderOffset,
                              entry.LocalHeaderOffset + static_cast<std::uint64_t>(entry.OffsetShift)};
  for (std::uint64_t offset : offsets) {
    unsigned char header[kLocalHeaderSize];
    if (!ReadZipBytesAt(archive_, offset, header, sizeof header)) throw EFatalUnzipError(kPrematureEndText);
    if (GetU32(header) == kLocalHeaderSignature) {
      found = true;
      return offset + kLocalHeaderSize + GetU16(header + local::kNameLength) +
             GetU16(header + local::kExtraLength);
    }
    if (entry.OffsetShift == 0) break;
  }
  return 0;
}

// Decides about an existing file of the name; true when the entry may be written.
bool TUnZipper::MakeRoomForFile(const TZipEntry& entry, const std::string& fullName) {
  std::int32_t attributes = FileGetAttr(fullName);
  if (attributes < 0) return true;  // nothing there
  if (attributes & faDirectory) return false;
  switch (OverwriteMode) {
    case TUZOverwriteMode::Always:
      break;
    case TUZOverwriteMode::Prompt:
    case TUZOverwriteMode::Never:
      return false;
    case TUZOverwriteMode::ifNewer:
    case TUZOverwriteMode::ifOlder: {
      TDateTime existing;
      if (!GetFileDate(fullName, existing)) return false;
      double entryDate = DosDateTimeToDateTime(entry.DosDate, entry.DosTime).Value;
      bool newer = entryDate > existing.Value;
      if (newer != (OverwriteMode == TUZOverwriteMode::ifNewer)) return false;
      break;
    }
  }
  if (attributes & faReadOnly) {
    if (!ReplaceReadOnly) return false;
    FileSetAttr(fullName, static_cast<std::uint32_t>(attributes) & ~faReadOnly);
  }
  return true;
}

// Creates the file at the entry's size, decodes into it and keeps it only when
// the size and CRC-32 come out as the entry says. A failure that ends the
// extraction removes the half-written file before it is raised.
bool TUnZipper::WriteEntryFile(const TZipEntry& entry, std::uint64_t dataOffset, const std::string& fullName,
                               TZipExtractBuffers& buffers) {
  TFile file;
  try {
    file = TFile::Create(fullName, TShareMode::Exclusive);
  } catch (const EStreamError&) {
    return false;  // a locked file, an invalid name: skipped
  }
  bool complete = false;
  try {
    if (entry.UncompressedSize > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      throw EInOutError("size out of range");
    }
    file.SetSize(static_cast<std::int64_t>(entry.UncompressedSize));
    TZipEntryInput input(archive_, dataOffset, entry.CompressedSize, buffers.Read.get(),
                         TZipExtractBuffers::kReadBlockSize);
    TZipEntryOutput output(file, entry.UncompressedSize, buffers.Write.get(),
                           TZipExtractBuffers::kWriteBufferSize);
    DecodeEntryData(entry, input, output, buffers);
    output.Flush();
    complete =
        !output.Overflowed() && output.Count() == entry.UncompressedSize && output.Crc32() == entry.Crc32;
  } catch (const EInOutError&) {
    complete = false;  // the file could not be sized or written: skipped
  } catch (...) {
    file.Close();
    DeleteFile(fullName);
    throw;
  }
  file.Close();
  if (!complete) DeleteFile(fullName);
  return complete;
}

void TUnZipper::DecodeEntryData(const TZipEntry& entry, TZipEntryInput& input, TZipEntryOutput& output,
                                TZipExtractBuffers& buffers) {
  if (entry.Method == kDeflated) {
    buffers.Inflater.Decode(input, output);
    return;
  }
  if (entry.Method == kStored) {
    const unsigned char* data;
    std::size_t length;
    while (!output.Overflowed() && input.Next(data, length)) output.Write(data, length);
    return;
  }
  TZipBitReader bits(input);
  TZipWindow window(output);
  if (entry.Method == kShrunk) {
    TUnshrinker(bits, window).Decode(entry.UncompressedSize);
  } else if (entry.Method == kImploded) {
    TExploder(bits, window, entry.Flags).Decode(entry.UncompressedSize);
  } else {
    TUnreducer(bits, window, entry.Method - kReduced1 + 1).Decode(entry.UncompressedSize);
  }
  window.Flush();
}

void TUnZipper::ApplyTimeAndAttributes(const TZipEntry& entry, const std::string& fullName) {
  SetFileDate(fullName, DosDateTimeToDateTime(entry.DosDate, entry.DosTime));
  // Only read-only means something to this platform's files, and a new file is
  // writable: the other bits need no call.
  if (RetainAttributes && (entry.ExternalAttributes & kDosAttributeMask & faReadOnly)) {
    FileSetAttr(fullName, entry.ExternalAttributes & kDosAttributeMask);
  }
}

}  // namespace bailan
