#pragma once

#include <filesystem>
#include <string>

namespace bailan::test {

// A fresh folder under the system's temporary folder, removed with everything in
// it when the object goes away. Path() is UTF-8 (ASCII here) and has no trailing
// separator.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path() + "/" + name.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A UTF-8 path for std::filesystem (which reads a narrow string in the ANSI code
// page on Windows).
std::filesystem::path FsPath(const std::string& utf8);

// Whole-file helpers for tests (paths in the host's encoding).
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace bailan::test
