#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bailan {

// An INI file read the way the system's profile-string function reads it:
// "[name]" lines open sections, "key=value" lines inside them hold values.
// Section and key names are matched without regard to ASCII letter case and
// around surrounding blanks; the first section and the first key of a name win;
// a value enclosed in one pair of matching single or double quotation marks is
// returned without them; a value is cut to kMaxValueLength bytes (never inside a
// double-byte CP936 character) and at its first NUL byte; a missing section or
// key yields the caller's default. Lines end with CR LF, LF or CR.
class TIniFile {
 public:
  static constexpr std::size_t kMaxValueLength = 2047;  // the profile reader's buffer of 2048, NUL included
  // A manifest is a short list of addresses; a larger file is read only up to
  // this many bytes, so that a hostile answer cannot make the reader hold it all.
  // A line that the cap cuts is dropped, not read as a shorter one.
  static constexpr std::size_t kMaxFileSize = 16u << 20;

  // Reads the file at `path` (CP936 text) once; a file that cannot be read
  // gives an empty INI, as the profile reader answers every read with the
  // default then. The object owns a copy of the contents and no handle.
  explicit TIniFile(const std::string& path);
  // An INI over the given text (for callers that hold the bytes already).
  static TIniFile FromText(std::string_view text);

  const std::string& FileName() const { return fileName_; }
  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;

  // One section's value of a key, as ReadString gives it.
  struct TSectionValue {
    std::string Section;
    std::string Value;
  };
  // Every section that holds `key`, in file order (a name that recurs, each
  // time), with its value: one pass over the file, for tools that look at all
  // sections rather than at the ones a caller names.
  std::vector<TSectionValue> ValuesOf(std::string_view key) const;

 private:
  struct TEntry {
    std::string Key;
    std::string Value;
  };
  struct TSection {
    std::string Name;
    std::vector<TEntry> Entries;
  };

  TIniFile() = default;
  void Parse(std::string_view text);
  const TSection* FindSection(std::string_view name) const;
  static const TEntry* FindEntry(const TSection& section, std::string_view key);

  std::string fileName_;
  std::vector<TSection> sections_;
};

}  // namespace bailan
