#include "transport/zip/ZipEntryExtractor.h"

#include <exception>
#include <limits>

#include "platform/Cp936.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "transport/zip/ZipDecodeAhead.h"
#include "transport/zip/ZipDosTime.h"
#include "transport/zip/ZipExceptions.h"
#include "transport/zip/ZipRecords.h"

namespace bailan {
namespace {

using namespace zip;

// The MS-DOS attribute bits an entry's external attributes carry over.
constexpr std::uint32_t kDosAttributeMask = faReadOnly | faHidden | faSysFile | faArchive;
// An entry made on a Unix host (the high byte of "version made by") carries
// its file mode in the high 16 bits of the external attributes.
constexpr std::uint8_t kUnixHost = 3;
constexpr unsigned kUnixModeShift = 16;
constexpr std::uint32_t kUnixPermissionBits = 0777;
constexpr std::uint32_t kOwnerWriteBit = 0200;
constexpr std::uint32_t kDefaultFileMode = 0666;  // a new file's, narrowed by the umask

// The Unix permission bits an entry carries; 0 when it was made elsewhere or
// gave none (then the MS-DOS bits apply as for any entry).
std::uint32_t UnixPermissionsOf(const TZipEntry& entry) {
  if ((entry.VersionMadeBy >> 8) != kUnixHost) return 0;
  return (entry.ExternalAttributes >> kUnixModeShift) & kUnixPermissionBits;
}

// True when a level of the entry's folder below the destination folder is a
// symbolic link (on Windows a reparse point): following it could put the entry
// anywhere. The destination folder itself is the caller's choice and may be one.
bool HasLinkBelowTarget(const TZipDestination& destination) {
  const std::string& folder = destination.Folder;
  for (std::size_t start = destination.TargetLength + 1; start <= folder.size();) {
    std::size_t delim = Cp936FindFirst(folder, PathDelim, start);
    if (delim == std::string::npos) delim = folder.size();
    if (IsLink(folder.substr(0, delim))) return true;
    start = delim + 1;
  }
  return false;
}

}  // namespace

bool IsSupportedZipMethod(std::uint16_t method) {
  return method == kStored || method == kShrunk || (method >= kReduced1 && method <= kReduced4) ||
         method == kImploded || method == kDeflated;
}

TZipEntryExtractor::TZipEntryExtractor(TZipEntrySettings settings, TZipDecodeAhead& decoded,
                                       std::function<void()> notifyUnknownMethod)
    : settings_(settings), decoded_(decoded), notifyUnknownMethod_(std::move(notifyUnknownMethod)) {}

bool TZipEntryExtractor::Extract(const TZipEntry& entry, const TZipDestination& destination) {
  bool folderExists = false;
  if (!PrepareFolder(destination, folderExists)) return false;
  if (entry.IsDirectory()) return folderExists;
  if (entry.IsEncrypted()) return false;  // no password is ever set
  if (!IsSupportedZipMethod(entry.Method)) {
    notifyUnknownMethod_();
    return false;
  }
  TZipPiece first = decoded_.Begin(entry);
  if (first.Kind == TZipPiece::TKind::Failed) std::rethrow_exception(first.Error);
  if (first.Kind != TZipPiece::TKind::Located) return false;
  // A new file takes a writable entry's permission bits as it is created,
  // which saves looking it up again by name to set them.
  const std::uint32_t mode = settings_.RetainAttributes ? UnixPermissionsOf(entry) : 0;
  const bool writableMode = (mode & kOwnerWriteBit) != 0;
  TFile file;
  bool isNew = false;
  if (!CreateEntryFile(entry, destination.FullName, writableMode ? mode : kDefaultFileMode, file, isNew)) {
    return false;
  }
  const bool modeAtCreation = isNew && writableMode;
  if (!WriteEntryFile(entry, destination.FullName, file)) return false;
  if (!modeAtCreation) ApplyAttributes(entry, destination.FullName);
  return true;
}

// Makes the entry's folder; false when a level below the destination folder
// is a link. Checked before the folders are made (making them would follow a
// link) and again after (a level made may have been swapped for one); the
// file itself is created without following a link. A folder found sound is
// not looked at again for the entries after it that share it: this run makes
// no links, so only another process could swap a level for one, which no
// check by name could rule out either.
bool TZipEntryExtractor::PrepareFolder(const TZipDestination& destination, bool& exists) {
  exists = destination.Folder == preparedFolder_;
  if (exists) return true;
  if (HasLinkBelowTarget(destination)) return false;
  exists = DirectoryExists(destination.Folder) || ForceDirectories(destination.Folder);
  if (HasLinkBelowTarget(destination)) return false;
  if (exists) preparedFolder_ = destination.Folder;
  return true;
}

// Creates the entry's file: a new one at once, which needs no look at the name
// before; otherwise the existing one, when it may be replaced, without
// following a link. False when the entry is skipped.
bool TZipEntryExtractor::CreateEntryFile(const TZipEntry& entry, const std::string& fullName,
                                         std::uint32_t newFileMode, TFile& file, bool& isNew) {
  try {
    file = TFile::CreateNew(fullName, TShareMode::Exclusive, newFileMode);
    isNew = file.IsOpen();
    if (isNew) return true;
    if (!MakeRoomForFile(entry, fullName)) return false;
    file = TFile::CreateNoLink(fullName, TShareMode::Exclusive);
    return true;
  } catch (const EStreamError&) {
    return false;  // a locked file, an invalid name, a link: skipped
  }
}

// Decides about an existing file of the name; true when the entry may be written.
bool TZipEntryExtractor::MakeRoomForFile(const TZipEntry& entry, const std::string& fullName) {
  std::int32_t attributes = FileGetAttr(fullName);
  if (attributes < 0) return true;  // gone again, or a link to nothing: creating it decides
  if (attributes & faDirectory) return false;
  switch (settings_.OverwriteMode) {
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
      if (newer != (settings_.OverwriteMode == TUZOverwriteMode::ifNewer)) return false;
      break;
    }
  }
  if (attributes & faReadOnly) {
    if (!settings_.ReplaceReadOnly) return false;
    FileSetAttr(fullName, static_cast<std::uint32_t>(attributes) & ~faReadOnly);
  }
  return true;
}

// Sizes the created file, writes the decoded data into it and keeps it only
// when the size and CRC-32 come out as the entry says. A failure that ends the
// extraction removes the half-written file before it is raised.
bool TZipEntryExtractor::WriteEntryFile(const TZipEntry& entry, const std::string& fullName, TFile& file) {
  bool complete = false;
  try {
    if (entry.UncompressedSize > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      throw EInOutError("size out of range");
    }
    // Pre-sized when it takes more than one write; one write sizes it anyway.
    if (entry.UncompressedSize > TZipPieceQueue::kBlockSize) {
      file.SetSize(static_cast<std::int64_t>(entry.UncompressedSize));
    }
    complete = WriteDecodedData(entry, file);
    // The last write is done: the time is set through the handle.
    if (complete) file.SetDate(DosDateTimeToDateTime(entry.DosDate, entry.DosTime));
  } catch (const EInOutError&) {
    complete = false;  // the file could not be sized or written, or the archive read: skipped
  } catch (...) {
    file.Close();
    DeleteFile(fullName);
    throw;
  }
  file.Close();
  if (!complete) DeleteFile(fullName);
  return complete;
}

// Writes the entry's pieces up to its end; true when it came out whole.
bool TZipEntryExtractor::WriteDecodedData(const TZipEntry& entry, TFile& file) {
  for (;;) {
    TZipPiece piece = decoded_.Next();
    switch (piece.Kind) {
      case TZipPiece::TKind::Data:
        file.Write(piece.Bytes.get(), piece.Length);
        break;
      case TZipPiece::TKind::End:
        return !piece.Overflowed && piece.Count == entry.UncompressedSize && piece.Crc32 == entry.Crc32;
      case TZipPiece::TKind::Failed:
        std::rethrow_exception(piece.Error);
      case TZipPiece::TKind::Located:
      case TZipPiece::TKind::Missing:
        throw EZipError("The decoded pieces came out of order");
    }
  }
}

void TZipEntryExtractor::ApplyAttributes(const TZipEntry& entry, const std::string& fullName) {
  if (!settings_.RetainAttributes) return;
  // A Unix entry's own permission bits, so that a program it holds can be
  // started; never set-id or sticky bits, and narrowed by the umask.
  if (const std::uint32_t mode = UnixPermissionsOf(entry); mode != 0) {
    FileSetPermissions(fullName, mode);
    return;
  }
  // Of the MS-DOS bits only read-only means something to this platform's files,
  // and a new file is writable: the other bits need no call.
  if (entry.ExternalAttributes & kDosAttributeMask & faReadOnly) {
    FileSetAttr(fullName, entry.ExternalAttributes & kDosAttributeMask);
  }
}

}  // namespace bailan
