#include <fcntl.h>
#include <linux/fs.h>
#include <linux/limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Cp936.h"
#include "platform/FileSystem.h"
#include "platform/FileTimesPosix.h"
#include "platform/HostPath.h"
#include "platform/LocalTime.h"
#include "platform/Path.h"

namespace bailan {
namespace {

constexpr mode_t kNewFolderMode = 0777;  // narrowed by the process umask
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
// The kernel refuses a path of PATH_MAX bytes or more (its NUL counted) and a
// name longer than NAME_MAX bytes with ENAMETOOLONG.
constexpr std::size_t kMaxHostPathLength = PATH_MAX - 1;
constexpr std::size_t kMaxHostNameLength = NAME_MAX;
constexpr char kHostDelim = '/';  // UTF-8 has no "/" inside a character

bool HostPathFits(const std::string& host) {
  if (host.size() > kMaxHostPathLength) return false;
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i <= host.size(); ++i) {
    if (i < host.size() && host[i] != kHostDelim) continue;
    if (i - nameStart > kMaxHostNameLength) return false;
    nameStart = i + 1;
  }
  return true;
}

bool IsHostDirectory(const char* host) {
  struct stat st {};
  return ::stat(host, &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes one level; an existing entry is no failure here (whether it is a
// folder shows at the next level or at the end), nor an existing folder that
// the system reports otherwise (a read-only mount, a parent not writable).
bool MakeHostLevel(const char* host) {
  return ::mkdir(host, kNewFolderMode) == 0 || errno == EEXIST || IsHostDirectory(host);
}

bool StatPath(const std::string& path, struct stat& st) {
  return ::stat(ToHostPath(path).c_str(), &st) == 0;
}

constexpr mode_t kPermissionBits = 0777;  // rwx for owner, group, others; never 07000

// chmod that never follows a link: a link's mode cannot be set, so a link
// fails. Where the system cannot change a mode without following, a path that
// is no link is changed by name.
bool ChangeModeNoLink(const std::string& host, mode_t mode) {
  if (::fchmodat(AT_FDCWD, host.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0) return true;
  if (errno != EOPNOTSUPP && errno != ENOTSUP && errno != ENOSYS) return false;
  struct stat st {};
  return ::lstat(host.c_str(), &st) == 0 && !S_ISLNK(st.st_mode) && ::chmod(host.c_str(), mode) == 0;
}

// The process umask, read without changing it (umask() would, for a moment,
// for every thread); the umask() round trip only where /proc cannot say.
mode_t ProcessUmask() {
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned value = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status))
      found = std::sscanf(line, "Umask: %o", &value) == 1;
    std::fclose(status);
    if (found) return static_cast<mode_t>(value);
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
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
  return IsHostDirectory(ToHostPath(path).c_str());
}

bool IsLink(const std::string& path) {
  struct stat st {};
  return ::lstat(ToHostPath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
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

bool IsCreatablePath(const std::string& path) {
  return HostPathFits(ToHostPath(path));
}

bool ForceDirectories(const std::string& path) {
  std::string folder = ExcludeTrailingPathDelimiter(path);
  if (folder.empty()) return false;
  std::string host = ToHostPath(folder);
  if (IsHostDirectory(host.c_str())) return true;
  if (!HostPathFits(host)) return false;
  // From the root down: each separator is cut in place for the level above it.
  for (std::size_t i = 1; i < host.size(); ++i) {
    if (host[i] != kHostDelim || host[i - 1] == kHostDelim) continue;
    host[i] = '\0';
    const bool made = MakeHostLevel(host.c_str());
    host[i] = kHostDelim;
    if (!made) return false;
  }
  return MakeHostLevel(host.c_str()) && IsHostDirectory(host.c_str());
}

bool GetFileDate(const std::string& path, TDateTime& value) {
  struct stat st {};
  if (!StatPath(path, st)) return false;
  value = EpochToDateTime(st.st_mtim.tv_sec);
  return true;
}

bool SetFileDate(const std::string& path, TDateTime value) {
  return ::utimensat(AT_FDCWD, ToHostPath(path).c_str(), TModificationTimes(value).Times,
                     AT_SYMLINK_NOFOLLOW) == 0;
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
  if (::lstat(ToHostPath(path).c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  if (attributes & faReadOnly) {
    mode &= ~kWriteBits;
  } else if ((mode & kWriteBits) == 0) {
    mode |= S_IWUSR;  // writable again for its owner
  }
  return ChangeModeNoLink(ToHostPath(path), mode);
}

bool FileSetPermissions(const std::string& path, std::uint32_t mode) {
  const mode_t bits = static_cast<mode_t>(mode) & kPermissionBits & ~ProcessUmask();
  return ChangeModeNoLink(ToHostPath(path), bits);
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
