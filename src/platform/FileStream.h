#pragma once

#include "platform/File.h"
#include "platform/Stream.h"

namespace bailan {

// A stream over an open file.
class TFileStream : public TStream {
 public:
  // Takes the open file over; the stream owns it until it goes away.
  explicit TFileStream(TFile file) : file_(std::move(file)) {}

  void Write(const void* data, std::size_t count) override { file_.Write(data, count); }
  std::int64_t Position() const override { return file_.Position(); }
  void Seek(std::int64_t position) override { file_.Seek(position); }
  std::int64_t Size() const override { return file_.Size(); }
  void SetSize(std::int64_t size) override { file_.SetSize(size); }

  TFile& File() { return file_; }

 private:
  TFile file_;
};

}  // namespace bailan
