// The INI reader over arbitrary bytes: every read returns a value within the
// profile reader's bounds and never a piece of a double-byte character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Cp936.h"
#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const bailan::TIniFile ini = bailan::TIniFile::FromText(text);
  for (const char* section : {"bailan", "file1", "FILE20", ""}) {
    const std::string value = ini.ReadString(section, "url", "error");
    if (value.size() > bailan::TIniFile::kMaxValueLength) std::abort();
    if (value.find('\0') != std::string::npos) std::abort();
    std::size_t i = 0;
    while (i < value.size()) i += bailan::Cp936CharLength(value, i);
    if (i != value.size()) std::abort();
  }
  return 0;
}
