// BL.exe for the demo product on Windows: stands in for the product's program.
// Appends "BL.exe started in FOLDER\n" (UTF-8, FOLDER the working folder it was
// started in) to "BL.started" beside itself and ends. The demo server puts it
// into the product (`bailan-demo-server --bl-exe PATH`), and the end-to-end run
// reads the line as the proof that the installer's launcher ran through cmd.
// It has no window and reads no input; any failure ends it with status 1.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace {

// The first words of the line, the same as the Linux demo's shell stand-in writes.
constexpr const char* kProofText = "BL.exe started in ";
constexpr const wchar_t* kProofName = L"BL.started";
// Long paths: the product folder may lie deeper than MAX_PATH in a test.
constexpr DWORD kPathCapacity = 32768;

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr,
                        nullptr);
  return utf8;
}

// The full path of this program; empty when it cannot be had.
std::wstring ProgramPath() {
  std::wstring path(kPathCapacity, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), kPathCapacity);
  if (length == 0 || length >= kPathCapacity) return {};
  path.resize(length);
  return path;
}

std::wstring WorkingFolder() {
  std::wstring folder(kPathCapacity, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(kPathCapacity, folder.data());
  folder.resize(length < kPathCapacity ? length : 0);
  return folder;
}

// Appends `line` to `path`, creating the file; false when it could not be written whole.
bool AppendLine(const std::wstring& path, const std::string& line) {
  const HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == line.size();
}

}  // namespace

int main() {
  const std::wstring program = ProgramPath();
  const std::size_t slash = program.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return 1;
  const std::wstring proof = program.substr(0, slash + 1) + kProofName;
  return AppendLine(proof, kProofText + ToUtf8(WorkingFolder()) + "\n") ? 0 : 1;
}
