#include "platform/IniFile.h"

#include <filesystem>
#include <fstream>

#include "platform/Cp936.h"
#include "platform/HostPath.h"

namespace bailan {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares names without regard to ASCII case; the bytes of double-byte
// characters are compared exactly, so that a trail byte is never folded.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    std::size_t length = Cp936CharLength(a, i);
    if (length == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
      return false;
    }
    i += length;
  }
  return true;
}

// One pair of matching quotation marks around the whole value is removed.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value.remove_prefix(1);
    value.remove_suffix(1);
  }
  return value;
}

// The longest head of `value` of at most kMaxValueLength bytes that ends on a
// character boundary.
std::string_view Bounded(std::string_view value) {
  std::size_t fit = 0;
  for (std::size_t i = 0; i < value.size();) {
    std::size_t next = i + Cp936CharLength(value, i);
    if (next > TIniFile::kMaxValueLength) break;
    fit = next;
    i = next;
  }
  return value.substr(0, fit);
}

// A stored value as the reader returns it: cut at a NUL, unquoted, bounded.
std::string ValueText(std::string_view value) {
  return std::string(Bounded(Unquote(value.substr(0, value.find('\0')))));
}

}  // namespace

TIniFile::TIniFile(const std::string& path) : fileName_(path) {
  std::ifstream in(std::filesystem::path(ToHostPath(path)), std::ios::binary);
  if (!in) return;
  // One byte past the cap tells a file that was cut from one that ends there.
  std::string text(kMaxFileSize + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > kMaxFileSize) {
    // The last line goes unless the byte past the cap ends it: a cut line
    // ("url=http://h/d/set") would be read as a whole, wrong value.
    const bool lineEndsAtCap = text[kMaxFileSize] == '\r' || text[kMaxFileSize] == '\n';
    text.resize(kMaxFileSize);
    if (!lineEndsAtCap) {
      const std::size_t lastBreak = text.find_last_of("\r\n");
      text.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
    }
  }
  Parse(text);
}

TIniFile TIniFile::FromText(std::string_view text) {
  TIniFile ini;
  ini.Parse(text);
  return ini;
}

void TIniFile::Parse(std::string_view text) {
  TSection* current = nullptr;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (end < text.size() && text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      std::size_t close = line.find(']');
      std::string_view name =
          Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      sections_.push_back(TSection{std::string(name), {}});
      current = &sections_.back();
      continue;
    }
    std::size_t equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos) continue;
    current->Entries.push_back(
        TEntry{std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1)))});
  }
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view name) const {
  for (const TSection& section : sections_) {
    if (SameName(section.Name, name)) return &section;
  }
  return nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
  const TSection* found = FindSection(Trim(section));
  const TEntry* entry = found ? FindEntry(*found, Trim(key)) : nullptr;
  return entry ? ValueText(entry->Value) : std::string(defaultValue);
}

const TIniFile::TEntry* TIniFile::FindEntry(const TSection& section, std::string_view key) {
  for (const TEntry& entry : section.Entries) {
    if (SameName(entry.Key, key)) return &entry;
  }
  return nullptr;
}

std::vector<TIniFile::TSectionValue> TIniFile::ValuesOf(std::string_view key) const {
  std::vector<TSectionValue> values;
  for (const TSection& section : sections_) {
    if (const TEntry* entry = FindEntry(section, Trim(key)))
      values.push_back({section.Name, ValueText(entry->Value)});
  }
  return values;
}

}  // namespace bailan
