#include <algorithm>
#include <array>
#include <cwchar>

#include "platform/FileNames.h"
#include "platform/HostPath.h"
#include "platform/Win32Api.h"

namespace bailan {
namespace {

// The devices that every folder answers to, whatever extension follows.
constexpr std::array<std::wstring_view, 24> kDeviceNames{
    L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM1", L"COM2", L"COM3",   L"COM4",
    L"COM5", L"COM6", L"COM7", L"COM8", L"COM9", L"LPT1", L"LPT2",   L"LPT3",
    L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9", L"CONIN$", L"CONOUT$"};
constexpr std::wstring_view kRefusedCharacters = L"<>:\"/\\|?*";

wchar_t AsciiUpper(wchar_t c) {
  return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// "nul", "Nul.txt", "NUL .tar.gz": the part before the first dot, its trailing
// blanks dropped as the system drops them, is a device.
bool IsDeviceName(std::wstring_view name) {
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  for (std::wstring_view device : kDeviceNames) {
    if (stem.size() == device.size() && std::equal(stem.begin(), stem.end(), device.begin(),
                                                   [](wchar_t a, wchar_t b) { return AsciiUpper(a) == b; }))
      return true;
  }
  return false;
}

}  // namespace

bool IsCreatableName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.find('\0') != std::string_view::npos) return false;
  // Checked in UTF-16, where no character hides inside another (a CP936 trail
  // byte can be "\" or "|").
  const std::wstring wide = ToHostPath(std::string(name));
  for (wchar_t c : wide) {
    if (c < 0x20 || kRefusedCharacters.find(c) != std::wstring_view::npos) return false;
  }
  if (wide.back() == L'.' || wide.back() == L' ') return false;  // the system would drop them
  return !IsDeviceName(wide);
}

std::string HostNameKey(std::string_view path) {
  std::wstring host = ToHostPath(std::string(path));
  std::replace(host.begin(), host.end(), L'/', L'\\');
  std::wstring key;
  key.reserve(host.size());
  for (wchar_t c : host) {
    if (c == L'\\' && key.size() > 1 && key.back() == L'\\') continue;  // "\\server" keeps its two
    key += c;
  }
  if (!key.empty()) ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
  // The UTF-16 units' bytes as they are: a key is compared, never opened.
  return std::string(reinterpret_cast<const char*>(key.data()), key.size() * sizeof(wchar_t));
}

}  // namespace bailan
