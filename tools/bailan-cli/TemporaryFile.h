#pragma once

#include <string>

#include "platform/FileStream.h"

namespace bailan::cli {

// A private new file in the folder for temporary files (a random name, created
// exclusively), open for writing; the object owns it and deletes it when it
// goes away, on every way out of a check. One thread.
class TTemporaryFile {
 public:
  // Creates the file (raising EFCreateError when the folder takes none); the
  // object owns its handle and its name. Any one thread.
  TTemporaryFile();
  ~TTemporaryFile();
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  TFileStream& Stream() { return stream_; }
  const std::string& Path() const { return path_; }
  // Ends the writing handle, so that readers (which open the file by name) may open it.
  void Close() { stream_.File().Close(); }

 private:
  TFileStream stream_;
  std::string path_;
};

}  // namespace bailan::cli
