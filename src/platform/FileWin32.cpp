// Win32 implementation of TFile: CreateFileW with real sharing modes, positioned
// reads and writes through OVERLAPPED offsets on a synchronous handle.
#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/HostPath.h"
#include "platform/LocalTime.h"
#include "platform/Win32Api.h"

namespace bailan {
namespace {

// The largest single ReadFile / WriteFile: their counts are 32-bit.
constexpr std::size_t kMaxTransfer = 1u << 30;
// Names of a temporary file tried before the folder is taken to refuse new
// files: a random name is taken by chance (or by a guess) only very rarely.
constexpr int kTemporaryNameTries = 16;

HANDLE HandleOf(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

DWORD ShareFlags(TShareMode share) {
  switch (share) {
    case TShareMode::Exclusive:
      return 0;
    case TShareMode::DenyWrite:
      return FILE_SHARE_READ;
    case TShareMode::ReadWrite:
      break;
  }
  return FILE_SHARE_READ | FILE_SHARE_WRITE;
}

DWORD AccessFlags(TAccess access) {
  switch (access) {
    case TAccess::Read:
      return GENERIC_READ;
    case TAccess::Write:
      return GENERIC_WRITE;
    case TAccess::ReadWrite:
      break;
  }
  return GENERIC_READ | GENERIC_WRITE;
}

OVERLAPPED At(std::int64_t position) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(position) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(position) >> 32);
  return at;
}

}  // namespace

TFile TFile::Create(const std::string& path, TShareMode share) {
  HANDLE handle = ::CreateFileW(ToHostPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, ShareFlags(share),
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    throw EFCreateError(Format("Cannot create file \"%s\". %s", path, LastSystemErrorText()));
  }
  return TFile(path, reinterpret_cast<std::intptr_t>(handle));
}

TFile TFile::CreateNoLink(const std::string& path, TShareMode share, std::uint32_t /*newFileMode: none*/) {
  // CREATE_ALWAYS would write through a link: an entry that is one is refused.
  if (IsLink(path)) {
    throw EFCreateError(
        Format("Cannot create file \"%s\". %s", path, SystemErrorText(ERROR_CANT_ACCESS_FILE)));
  }
  return Create(path, share);
}

TFile TFile::CreateNew(const std::string& path, TShareMode share, std::uint32_t /*newFileMode: none*/) {
  // CREATE_NEW fails on any existing entry of the name, a reparse point too.
  HANDLE handle = ::CreateFileW(ToHostPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, ShareFlags(share),
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) return TFile(path, reinterpret_cast<std::intptr_t>(handle));
  const DWORD error = ::GetLastError();
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return TFile();
  throw EFCreateError(
      Format("Cannot create file \"%s\". %s", path, SystemErrorText(static_cast<int>(error))));
}

TFile TFile::CreateTemporary(const std::string& besidePath) {
  // CREATE_NEW fails on any existing entry of the name, a reparse point too.
  DWORD error = 0;
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    std::string name = TemporaryName(besidePath);
    HANDLE handle = ::CreateFileW(ToHostPath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
      return TFile(std::move(name), reinterpret_cast<std::intptr_t>(handle));
    error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  throw EFCreateError(
      Format("Cannot create file \"%s\". %s", besidePath, SystemErrorText(static_cast<int>(error))));
}

TFile TFile::Open(const std::string& path, TAccess access, TShareMode share) {
  // A folder does not open without FILE_FLAG_BACKUP_SEMANTICS: it fails here.
  HANDLE handle = ::CreateFileW(ToHostPath(path).c_str(), AccessFlags(access), ShareFlags(share), nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    throw EFOpenError(Format("Cannot open file \"%s\". %s", path, LastSystemErrorText()));
  }
  return TFile(path, reinterpret_cast<std::intptr_t>(handle));
}

void TFile::Close() {
  if (handle_ != -1) {
    ::CloseHandle(HandleOf(handle_));
    handle_ = -1;
  }
}

void TFile::Fail(const char* what) const {
  throw EInOutError(Format("%s \"%s\" failed. %s", what, path_, LastSystemErrorText()));
}

std::int64_t TFile::Size() const {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(HandleOf(handle_), &size)) Fail("Size of");
  return size.QuadPart;
}

void TFile::SetSize(std::int64_t size) {
  // Reads and writes carry their own offsets, so the handle's file pointer is
  // free for SetEndOfFile.
  LARGE_INTEGER end{};
  end.QuadPart = size;
  if (!::SetFilePointerEx(HandleOf(handle_), end, nullptr, FILE_BEGIN) ||
      !::SetEndOfFile(HandleOf(handle_))) {
    Fail("Setting the size of");
  }
}

std::size_t TFile::Read(void* buffer, std::size_t count) {
  const std::size_t n = ReadAt(position_, buffer, count);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

// The OVERLAPPED offset makes the read positioned; on a synchronous handle it
// moves the handle's file pointer, which nothing here uses.
std::size_t TFile::ReadAt(std::int64_t offset, void* buffer, std::size_t count) const {
  OVERLAPPED at = At(offset);
  DWORD done = 0;
  const DWORD wanted = static_cast<DWORD>(count < kMaxTransfer ? count : kMaxTransfer);
  if (!::ReadFile(HandleOf(handle_), buffer, wanted, &done, &at)) {
    if (::GetLastError() != ERROR_HANDLE_EOF) Fail("Reading");
    done = 0;
  }
  return done;
}

void TFile::Write(const void* data, std::size_t count) {
  const char* bytes = static_cast<const char*>(data);
  while (count > 0) {
    OVERLAPPED at = At(position_);
    DWORD done = 0;
    const DWORD wanted = static_cast<DWORD>(count < kMaxTransfer ? count : kMaxTransfer);
    if (!::WriteFile(HandleOf(handle_), bytes, wanted, &done, &at) || done == 0) Fail("Writing");
    position_ += done;
    bytes += done;
    count -= done;
  }
}

// Windows has no flush of the data alone: both write the contents, the length
// and the times through.
bool TFile::SetDate(TDateTime value) {
  const FILETIME written = EpochToFileTime(DateTimeToEpoch(value));
  return ::SetFileTime(HandleOf(handle_), nullptr, nullptr, &written) != 0;
}

void TFile::FlushData() {
  Flush();
}

void TFile::Flush() {
  if (!::FlushFileBuffers(HandleOf(handle_))) Fail("Flushing");
}

}  // namespace bailan
