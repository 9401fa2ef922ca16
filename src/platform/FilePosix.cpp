#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/FileTimesPosix.h"
#include "platform/Format.h"
#include "platform/HostPath.h"

namespace bailan {
namespace {

constexpr mode_t kNewFileMode = 0666;      // narrowed by the process umask
constexpr mode_t kPrivateFileMode = 0600;  // a temporary file: its owner alone
constexpr mode_t kPermissionBits = 0777;   // rwx for owner, group, others; never 07000
// Names of a temporary file tried before the folder is taken to refuse new
// files: a random name is taken by chance (or by a guess) only very rarely.
constexpr int kTemporaryNameTries = 16;

int OpenFlags(TAccess access) {
  switch (access) {
    case TAccess::Read:
      return O_RDONLY;
    case TAccess::Write:
      return O_WRONLY;
    case TAccess::ReadWrite:
      break;
  }
  return O_RDWR;
}

}  // namespace

TFile TFile::Create(const std::string& path, TShareMode /*share: none on Linux*/) {
  int fd = ::open(ToHostPath(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
  if (fd < 0) {
    throw EFCreateError(Format("Cannot create file \"%s\". %s", path, LastSystemErrorText()));
  }
  return TFile(path, fd);
}

TFile TFile::CreateNoLink(const std::string& path, TShareMode /*share: none on Linux*/,
                          std::uint32_t newFileMode) {
  int fd = ::open(ToHostPath(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                  static_cast<mode_t>(newFileMode) & kPermissionBits);
  if (fd < 0) {
    throw EFCreateError(Format("Cannot create file \"%s\". %s", path, LastSystemErrorText()));
  }
  return TFile(path, fd);
}

TFile TFile::CreateNew(const std::string& path, TShareMode /*share: none on Linux*/,
                       std::uint32_t newFileMode) {
  const int fd = ::open(ToHostPath(path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        static_cast<mode_t>(newFileMode) & kPermissionBits);
  if (fd >= 0) return TFile(path, fd);
  if (errno == EEXIST) return TFile();
  throw EFCreateError(Format("Cannot create file \"%s\". %s", path, LastSystemErrorText()));
}

TFile TFile::CreateTemporary(const std::string& besidePath) {
  int error = 0;
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    std::string name = TemporaryName(besidePath);
    const int fd = ::open(ToHostPath(name).c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          kPrivateFileMode);
    if (fd >= 0) return TFile(std::move(name), fd);
    error = errno;
    if (error != EEXIST) break;
  }
  throw EFCreateError(Format("Cannot create file \"%s\". %s", besidePath, SystemErrorText(error)));
}

TFile TFile::Open(const std::string& path, TAccess access, TShareMode /*share: none on Linux*/) {
  std::string host = ToHostPath(path);
  int fd = ::open(host.c_str(), OpenFlags(access) | O_CLOEXEC);
  if (fd >= 0) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      errno = EISDIR;
      fd = -1;
    }
  }
  if (fd < 0) {
    throw EFOpenError(Format("Cannot open file \"%s\". %s", path, LastSystemErrorText()));
  }
  return TFile(path, fd);
}

void TFile::Close() {
  if (handle_ >= 0) {
    ::close(static_cast<int>(handle_));
    handle_ = -1;
  }
}

void TFile::Fail(const char* what) const {
  throw EInOutError(Format("%s \"%s\" failed. %s", what, path_, LastSystemErrorText()));
}

std::int64_t TFile::Size() const {
  struct stat st {};
  if (::fstat(static_cast<int>(handle_), &st) != 0) Fail("Size of");
  return st.st_size;
}

void TFile::SetSize(std::int64_t size) {
  if (::ftruncate(static_cast<int>(handle_), size) != 0) Fail("Setting the size of");
}

std::size_t TFile::Read(void* buffer, std::size_t count) {
  const std::size_t n = ReadAt(position_, buffer, count);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

std::size_t TFile::ReadAt(std::int64_t offset, void* buffer, std::size_t count) const {
  for (;;) {
    const ssize_t n = ::pread(static_cast<int>(handle_), buffer, count, offset);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) Fail("Reading");
  }
}

void TFile::Write(const void* data, std::size_t count) {
  const char* bytes = static_cast<const char*>(data);
  while (count > 0) {
    ssize_t n = ::pwrite(static_cast<int>(handle_), bytes, count, position_);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("Writing");
    }
    position_ += n;
    bytes += n;
    count -= static_cast<std::size_t>(n);
  }
}

bool TFile::SetDate(TDateTime value) {
  return ::futimens(static_cast<int>(handle_), TModificationTimes(value).Times) == 0;
}

void TFile::FlushData() {
  if (::fdatasync(static_cast<int>(handle_)) != 0) Fail("Flushing");
}

void TFile::Flush() {
  if (::fsync(static_cast<int>(handle_)) != 0) Fail("Flushing");
}

}  // namespace bailan
