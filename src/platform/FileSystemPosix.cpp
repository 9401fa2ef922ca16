#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Cp936.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/LocalTime.h"
#include "platform/Path.h"

namespace bailan {
namespace {

constexpr mode_t kNewFolderMode = 0777;  // narrowed by the process umask
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

bool StatPath(const std::string& path, struct stat& st) {
  return ::stat(ToHostPath(path).c_str(), &st) == 0;
}

}  // namespace

std::string ToHostPath(const std::string& path) {
  return Cp936ToUtf8(path);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return StatPath(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return StatPath(path, st) && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& path) {
  if (DirectoryExists(path)) return false;
  return ::unlink(ToHostPath(path).c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to, std::string* reason) {
  std::string hostFrom = ToHostPath(from), hostTo = ToHostPath(to);
  int rc = ::renameat2(AT_FDCWD, hostFrom.c_str(), AT_FDCWD, hostTo.c_str(), RENAME_NOREPLACE);
  if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
    // A file system without RENAME_NOREPLACE: check, then rename.
    if (::access(hostTo.c_str(), F_OK) == 0) {
      errno = EEXIST;
    } else {
      rc = ::rename(hostFrom.c_str(), hostTo.c_str());
    }
  }
  if (rc != 0 && reason) *reason = LastSystemErrorText();
  return rc == 0;
}

bool ReplaceFile(const std::string& from, const std::string& to, std::string* reason) {
  const std::string hostTo = ToHostPath(to);
  if (::rename(ToHostPath(from).c_str(), hostTo.c_str()) != 0) {
    if (reason) *reason = LastSystemErrorText();
    return false;
  }
  // The rename lives in the folder: flush it too, or a power cut may undo it.
  const std::string::size_type slash = hostTo.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : hostTo.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return true;
}

bool ForceDirectories(const std::string& path) {
  std::string folder = ExcludeTrailingPathDelimiter(path);
  if (folder.empty()) return false;
  if (DirectoryExists(folder)) return true;
  std::string parent = ExcludeTrailingPathDelimiter(ExtractFilePath(folder));
  if (!parent.empty() && parent != folder && !ForceDirectories(parent)) return false;
  return ::mkdir(ToHostPath(folder).c_str(), kNewFolderMode) == 0 || DirectoryExists(folder);
}

bool GetFileDate(const std::string& path, TDateTime& value) {
  struct stat st {};
  if (!StatPath(path, st)) return false;
  const TLocalTime local = EpochToLocalTime(st.st_mtim.tv_sec);
  value = TDateTime::FromParts(local.Year, local.Month, local.Day, local.Hour, local.Minute, local.Second);
  return true;
}

bool SetFileDate(const std::string& path, TDateTime value) {
  TLocalTime local;
  value.ToParts(local.Year, local.Month, local.Day, local.Hour, local.Minute, local.Second,
                local.Millisecond);
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(LocalTimeToEpoch(local));
  times[1].tv_nsec = 0;
  return ::utimensat(AT_FDCWD, ToHostPath(path).c_str(), times, 0) == 0;
}

std::int32_t FileGetAttr(const std::string& path) {
  struct stat st {};
  if (!StatPath(path, st)) return -1;
  std::uint32_t attributes = S_ISDIR(st.st_mode) ? faDirectory : faArchive;
  if ((st.st_mode & kWriteBits) == 0) attributes |= faReadOnly;
  return static_cast<std::int32_t>(attributes);
}

bool FileSetAttr(const std::string& path, std::uint32_t attributes) {
  struct stat st {};
  if (!StatPath(path, st)) return false;
  mode_t mode = st.st_mode & 07777;
  if (attributes & faReadOnly) {
    mode &= ~kWriteBits;
  } else if ((mode & kWriteBits) == 0) {
    mode |= S_IWUSR;  // writable again for its owner
  }
  return ::chmod(ToHostPath(path).c_str(), mode) == 0;
}

std::string SystemErrorText(int code) {
  char buffer[256];
  // GNU strerror_r returns the text, which may or may not be in `buffer`.
  const char* text = strerror_r(code, buffer, sizeof buffer);
  return Utf8ToCp936(text, '?');
}

std::string LastSystemErrorText() {
  return SystemErrorText(errno);
}

std::string TempDirectory() {
  for (const char* name : {"TEMP", "TMPDIR"}) {
    const char* value = std::getenv(name);
    if (value && *value) return Utf8ToCp936(value, '?');
  }
  return "/tmp";
}

}  // namespace bailan
