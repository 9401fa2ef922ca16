// What an open file does the same on every host; the system calls are in
// FilePosix.cpp and FileWin32.cpp.
#include "platform/File.h"

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

}  // namespace bailan
