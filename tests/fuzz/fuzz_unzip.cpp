// Arbitrary bytes as an archive: reading the directory and extracting must end
// in entries written or a bailan::Exception, never a crash, an unbounded
// allocation or a file outside the destination folder.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_work_folder.h"
#include "platform/Exception.h"
#include "transport/zip/UnZipper.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& work = bailan::fuzz::WorkFolder("unzip");
  const fs::path archive = work / "input.zip";
  const fs::path box = work / "box";
  const fs::path dest = box / "dest";
  {
    std::ofstream out(archive, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    bailan::TUnZipper unzipper;
    unzipper.Notifier = nullptr;  // no notices while fuzzing
    unzipper.SetZipName(archive.string());
    unzipper.SetDestDir(dest.string());
    unzipper.DoAll = true;
    unzipper.ReadDirectory();
    unzipper.RecreateDirs = true;
    unzipper.OverwriteMode = bailan::TUZOverwriteMode::Always;
    unzipper.ExtractMarked();
  } catch (const bailan::Exception&) {
    // a clear failure is a fine outcome
  }
  // Nothing may have landed beside the destination folder.
  std::error_code ignored;
  for (const auto& item : fs::directory_iterator(box, ignored)) {
    if (item.path() != dest) std::abort();
  }
  for (const auto& item : fs::recursive_directory_iterator(box, ignored)) {
    if (item.is_symlink()) std::abort();
    fs::permissions(item.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(box, ignored);
  return 0;
}
