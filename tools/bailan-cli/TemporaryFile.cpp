#include "TemporaryFile.h"

#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace bailan::cli {

TTemporaryFile::TTemporaryFile()
    : stream_(TFile::CreateTemporary(IncludeTrailingPathDelimiter(TempDirectory()) + "bailan-check")),
      path_(stream_.File().Path()) {}

TTemporaryFile::~TTemporaryFile() {
  Close();
  DeleteFile(path_);
}

}  // namespace bailan::cli
