// What an open file does the same on every host; the system calls are in
// FilePosix.cpp and FileWin32.cpp.
#include "platform/File.h"

#include <cstdint>
#include <random>

#include "platform/Format.h"

namespace bailan {

TFile::~TFile() {
  Close();
}

TFile::TFile(TFile&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_), position_(other.position_) {
  other.handle_ = -1;
}

TFile& TFile::operator=(TFile&& other) noexcept {
  if (this != &other) {
    Close();
    path_ = std::move(other.path_);
    handle_ = other.handle_;
    position_ = other.position_;
    other.handle_ = -1;
  }
  return *this;
}

std::string TFile::TemporaryName(const std::string& besidePath) {
  // Unguessable, so that nobody can plant the name beforehand; a collision is
  // retried by the caller all the same.
  static thread_local std::mt19937_64 generator{(static_cast<std::uint64_t>(std::random_device{}()) << 32) ^
                                                std::random_device{}()};
  return Format("%s.%016llx.tmp", besidePath, static_cast<unsigned long long>(generator()));
}

}  // namespace bailan
