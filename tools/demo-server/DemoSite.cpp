#include "DemoSite.h"

#include <algorithm>
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
                   const std::string& program, const std::string& tamperedArchive) {
  std::vector<TServedArchive> served;
  for (const TDemoArchive& archive : DemoArchives(kBigFileBytes, program))
    served.push_back({archive.FileName, BuildUnixZip(archive.Files)});
  const std::string manifest = DemoManifest(served, serverUrl + kArchivePath);
  if (!tamperedArchive.empty()) {
    auto target = std::find_if(served.begin(), served.end(), [&](const TServedArchive& archive) {
      return archive.FileName == tamperedArchive;
    });
    if (target == served.end())
      throw std::runtime_error("no archive of the demo is named " + tamperedArchive);
    TamperArchive(*target);
  }
  for (const TServedArchive& archive : served)
    WriteFile(root, kArchivePath + archive.FileName, archive.Bytes);
  WriteFile(root, kManifestPath, manifest);
  WriteFile(root, kShowcasePath, DemoShowcasePage());
  WriteFile(root, kLicencePath, DemoLicencePage());
}

}  // namespace bailan::demo
