#include "engine/ResourceExtractor.h"

#include "transport/zip/UnZipper.h"

namespace bailan {

void ExtractResource(const std::string& archivePath, const std::string& folder) {
  TUnZipper unzipper;
  unzipper.SetZipName(archivePath);
  unzipper.SetDestDir(folder);
  unzipper.DoAll = true;
  unzipper.ReadDirectory();
  unzipper.RecreateDirs = true;
  unzipper.RetainAttributes = true;
  unzipper.OverwriteMode = TUZOverwriteMode::Always;
  unzipper.ExtractMarked();
}

}  // namespace bailan
