// Win32 implementation of the functions on files and folders by name: the wide
// API over paths converted from CP936, attributes as the attribute bits.
#include <cstdlib>

#include "platform/Cp936.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/LocalTime.h"
#include "platform/Path.h"
#include "platform/Win32Api.h"

namespace bailan {
namespace {

// The attribute bits this system sets; the others are left to the file system.
constexpr DWORD kSettableAttributes = faReadOnly | faHidden | faSysFile | faArchive;

DWORD AttributesOf(const std::string& path) {
  return ::GetFileAttributesW(ToHostPath(path).c_str());
}

// Without the "\\?\" prefix the wide API takes paths of up to MAX_PATH UTF-16
// units with the NUL, and the file systems names of up to 255 units.
constexpr std::size_t kMaxHostPathLength = MAX_PATH - 1;
constexpr std::size_t kMaxHostNameLength = 255;
// Every permission bit that lets the owner write: its absence is read-only.
constexpr std::uint32_t kOwnerWriteBit = 0200;

// The API takes "/" as well as "\" between names; in UTF-16 neither is ever part
// of another character.
bool IsHostDelim(wchar_t c) {
  return c == L'\\' || c == L'/';
}

bool HostPathFits(const std::wstring& host) {
  if (host.size() > kMaxHostPathLength) return false;
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i <= host.size(); ++i) {
    if (i < host.size() && !IsHostDelim(host[i])) continue;
    if (i - nameStart > kMaxHostNameLength) return false;
    nameStart = i + 1;
  }
  return true;
}

bool IsHostDirectory(const wchar_t* host) {
  const DWORD attributes = ::GetFileAttributesW(host);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

THostPath ToHostPath(const std::string& path) {
  return Cp936ToWide(path);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
  return IsHostDirectory(ToHostPath(path).c_str());
}

bool IsLink(const std::string& path) {
  // The attributes of a link are its own, not its target's.
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool DeleteFile(const std::string& path) {
  return ::DeleteFileW(ToHostPath(path).c_str()) != 0;
}

bool RenameFile(const std::string& from, const std::string& to, std::string* reason) {
  // Without MOVEFILE_REPLACE_EXISTING an existing `to` makes the move fail, and
  // a file that another handle holds open (without delete sharing) cannot move.
  const bool moved = ::MoveFileExW(ToHostPath(from).c_str(), ToHostPath(to).c_str(), 0) != 0;
  if (!moved && reason) *reason = LastSystemErrorText();
  return moved;
}

bool ReplaceFile(const std::string& from, const std::string& to, std::string* reason) {
  // One rename over the old file, returning once it is on the disk.
  const bool moved = ::MoveFileExW(ToHostPath(from).c_str(), ToHostPath(to).c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!moved && reason) *reason = LastSystemErrorText();
  return moved;
}

bool IsCreatablePath(const std::string& path) {
  return HostPathFits(ToHostPath(path));
}

bool ForceDirectories(const std::string& path) {
  const std::string folder = ExcludeTrailingPathDelimiter(path);
  if (folder.empty()) return false;
  std::wstring host = ToHostPath(folder);
  if (IsHostDirectory(host.c_str())) return true;
  if (!HostPathFits(host)) return false;
  // One level after the other from the top, each separator cut in place for the
  // level above it; a level that exists (or cannot be made, such as a drive or
  // a server) is passed over, and the last one decides.
  for (std::size_t i = 1; i < host.size(); ++i) {
    if (!IsHostDelim(host[i]) || IsHostDelim(host[i - 1])) continue;
    const wchar_t delim = host[i];
    host[i] = L'\0';
    ::CreateDirectoryW(host.c_str(), nullptr);
    host[i] = delim;
  }
  return ::CreateDirectoryW(host.c_str(), nullptr) != 0 || IsHostDirectory(host.c_str());
}

bool GetFileDate(const std::string& path, TDateTime& value) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(ToHostPath(path).c_str(), GetFileExInfoStandard, &data)) return false;
  value = EpochToDateTime(FileTimeToEpoch(data.ftLastWriteTime));
  return true;
}

bool SetFileDate(const std::string& path, TDateTime value) {
  const FILETIME written = EpochToFileTime(DateTimeToEpoch(value));
  HANDLE handle = ::CreateFileW(
      ToHostPath(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool set = ::SetFileTime(handle, nullptr, nullptr, &written) != 0;
  ::CloseHandle(handle);
  return set;
}

std::int32_t FileGetAttr(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<std::int32_t>(attributes);
}

bool FileSetAttr(const std::string& path, std::uint32_t attributes) {
  DWORD settable = attributes & kSettableAttributes;
  if (settable == 0) settable = FILE_ATTRIBUTE_NORMAL;
  return ::SetFileAttributesW(ToHostPath(path).c_str(), settable) != 0;
}

bool FileSetPermissions(const std::string& path, std::uint32_t mode) {
  // Windows files have no Unix permission bits; of them only the owner's write
  // bit has a meaning here, as the read-only attribute.
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  const DWORD wanted = (mode & kOwnerWriteBit) != 0 ? attributes & ~FILE_ATTRIBUTE_READONLY
                                                    : attributes | FILE_ATTRIBUTE_READONLY;
  return wanted == attributes || ::SetFileAttributesW(ToHostPath(path).c_str(), wanted) != 0;
}

std::string SystemErrorText(int code) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", length);
  if (buffer) ::LocalFree(buffer);
  // The system's texts end in a full stop and a line break; the runtime's error
  // text drops both.
  while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
  if (text.empty()) return "System error " + std::to_string(code);
  return WideToCp936(text);
}

std::string LastSystemErrorText() {
  return SystemErrorText(static_cast<int>(::GetLastError()));
}

std::string TempDirectory() {
  if (const wchar_t* temp = ::_wgetenv(L"TEMP"); temp && *temp) return WideToCp936(temp);
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return ".";
  return ExcludeTrailingPathDelimiter(WideToCp936(std::wstring_view(buffer, length)));
}

}  // namespace bailan
