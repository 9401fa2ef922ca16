#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace bailan::test {
namespace {

constexpr int kNameAttempts = 100;  // random names; a clash is rare

std::string ToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

std::filesystem::path FsPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

TTempDir::TTempDir() {
  std::random_device seed;
  std::mt19937 random(seed());
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const auto candidate = base / ("bailan-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = ToUtf8(candidate);
      return;
    }
  }
  throw std::runtime_error("no fresh temporary folder");
}

TTempDir::~TTempDir() {
  std::error_code ignored;
  const auto root = FsPath(path_);
  // Read-only files and folders made by a test must not stop the clean-up.
  for (auto it = std::filesystem::recursive_directory_iterator(root, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(root, ignored);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace bailan::test
