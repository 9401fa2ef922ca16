// On Windows there is no nginx to run: Debian's is a Linux program. Tests that
// need it skip themselves with UnavailableReason().
#include <stdexcept>

#include "support/NginxFixture.h"

namespace bailan::test {
namespace {

constexpr const char* kNoNginx = "nginx runs on Linux only: the Windows build tests against the test server";

}  // namespace

TNginxFixture::TNginxFixture() = default;
TNginxFixture::~TNginxFixture() = default;

std::string TNginxFixture::BinaryPath() {
  return std::string();
}

const char* TNginxFixture::UnavailableReason() {
  return kNoNginx;
}

void TNginxFixture::Start() {
  throw std::runtime_error(kNoNginx);
}

void TNginxFixture::Stop() {}

void TNginxFixture::EnableTls() {
  throw std::runtime_error(kNoNginx);
}

std::string TNginxFixture::TlsUrl(const std::string& path, TTlsServer server) const {
  return "https://127.0.0.1:" + std::to_string(TlsPort(server)) + path;
}

void TNginxFixture::AddFile(const std::string&, const std::string&) {
  throw std::runtime_error(kNoNginx);
}

void TNginxFixture::AddPatternFile(const std::string&, std::int64_t) {
  throw std::runtime_error(kNoNginx);
}

std::string TNginxFixture::FilePath(const std::string& relativePath) const {
  return prefix_ / relativePath;
}

std::string TNginxFixture::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string TNginxFixture::ErrorLog() const {
  return std::string();
}

}  // namespace bailan::test
