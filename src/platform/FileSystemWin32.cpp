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

// True for a folder separator of the file system: the API takes "/" as well as
// "\", and a "/" or "\" byte inside a double-byte character is no separator.
bool IsHostDelim(char c) {
  return c == '\\' || c == '/';
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
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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

bool ForceDirectories(const std::string& path) {
  const std::string folder = ExcludeTrailingPathDelimiter(path);
  if (folder.empty()) return false;
  if (DirectoryExists(folder)) return true;
  // One level after the other from the top; a level that exists (or cannot be
  // made, such as a drive or a server) is passed over, and the last one decides.
  for (std::size_t i = 0; i < folder.size(); i += Cp936CharLength(folder, i)) {
    if (i > 0 && IsHostDelim(folder[i])) {
      ::CreateDirectoryW(ToHostPath(folder.substr(0, i)).c_str(), nullptr);
    }
  }
  return ::CreateDirectoryW(ToHostPath(folder).c_str(), nullptr) != 0 || DirectoryExists(folder);
}

bool GetFileDate(const std::string& path, TDateTime& value) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(ToHostPath(path).c_str(), GetFileExInfoStandard, &data)) return false;
  value = EpochToDateTime(FileTimeToEpoch(data.ftLastWriteTime));
  return true;
}

bool SetFileDate(const std::string& path, TDateTime value) {
  const FILETIME written = EpochToFileTime(DateTimeToEpoch(value));
  HANDLE handle = ::CreateFileW(ToHostPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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
