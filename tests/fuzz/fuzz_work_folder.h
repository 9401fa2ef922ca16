#pragma once

// A folder of its own for a fuzz target that needs files: made once per
// process under the temporary folder, removed when the process exits (the
// fuzzer ends by exit() once its time is up).
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace bailan::fuzz {

inline std::filesystem::path WorkFolderPath(const std::string& target) {
  return std::filesystem::temp_directory_path() /
         ("bailan-fuzz-" + target + "-" + std::to_string(::getpid()));
}

// `target` must be the same for every call of one process.
inline const std::filesystem::path& WorkFolder(const std::string& target) {
  static const std::string name = target;
  static const std::filesystem::path folder = [] {
    std::filesystem::path path = WorkFolderPath(name);
    std::filesystem::create_directories(path);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(WorkFolderPath(name), ignored);
    });
    return path;
  }();
  return folder;
}

}  // namespace bailan::fuzz
