#include "DemoSite.h"

#include <fstream>
#include <stdexcept>

#include "DemoProduct.h"

namespace bailan::demo {
namespace {

void WriteFile(const std::filesystem::path& root, const std::string& urlPath, const std::string& bytes) {
  const std::filesystem::path path = root / urlPath.substr(1);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

void WriteDemoSite(const std::filesystem::path& root, const std::string& serverUrl,
                   const std::string& program) {
  const std::vector<TDemoArchive> archives = DemoArchives(kBigFileBytes, program);
  for (const TDemoArchive& archive : archives)
    WriteFile(root, kArchivePath + archive.FileName, BuildUnixZip(archive.Files));
  WriteFile(root, kManifestPath, DemoManifest(archives, serverUrl + kArchivePath));
  WriteFile(root, kShowcasePath, DemoShowcasePage());
  WriteFile(root, kLicencePath, DemoLicencePage());
}

}  // namespace bailan::demo
