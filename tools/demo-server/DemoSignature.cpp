#include "DemoSignature.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "DemoKeyPrivate.h"
#include "DemoKeyPublic.h"
#include "DemoSite.h"
#include "platform/SigningKey.h"

namespace bailan::demo {
namespace {

// The line a tampered manifest gains after it was signed.
constexpr const char* kTamperedLine = "; changed after signing\r\n";

std::filesystem::path OnDisk(const std::filesystem::path& root, const char* urlPath) {
  return root / std::string(urlPath).substr(1);
}

void Write(const std::filesystem::path& path, const std::string& bytes, std::ios::openmode mode) {
  std::ofstream out(path, std::ios::binary | mode);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

const char* DemoPublicKeyPem() {
  return kDemoKeyPublicPem;
}

const char* DemoPrivateKeyPem() {
  return kDemoKeyPrivatePem;
}

void SignDemoManifest(const std::filesystem::path& root, bool tamper) {
  const std::filesystem::path manifest = OnDisk(root, kManifestPath);
  std::ifstream in(manifest, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) throw std::runtime_error("cannot read " + manifest.string());
  Write(OnDisk(root, kManifestSignaturePath), SignMessage(kDemoKeyPrivatePem, bytes.str()), std::ios::trunc);
  if (tamper) Write(manifest, kTamperedLine, std::ios::app);
}

}  // namespace bailan::demo
