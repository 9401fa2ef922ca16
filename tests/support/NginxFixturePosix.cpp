#include "support/NginxFixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/Socket.h"

namespace bailan::test {
namespace {

constexpr int kStartTimeoutMs = 10000;  // nginx comes up in well under a second
constexpr int kStartAttempts = 5;       // another process may take the free port first
constexpr const char* kCandidates[] = {"/usr/sbin/nginx", "/usr/local/sbin/nginx", "/usr/bin/nginx"};

std::uint16_t FreeLoopbackPort() {
  int error = 0;
  TSocket probe = TSocket::ListenLoopback(0, error);
  if (error != 0) throw std::runtime_error("no free port: " + SocketErrorText(error));
  return probe.LocalPort();
}

}  // namespace

TNginxFixture::TNginxFixture() {
  std::filesystem::create_directories(prefix_ / "root/files");
  std::filesystem::create_directories(prefix_ / "logs");
  std::filesystem::create_directories(prefix_ / "temp");
  // nginx workers may run as another user: the prefix must be readable to them.
  std::filesystem::permissions(prefix_.Path(),
                               std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                   std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                   std::filesystem::perms::others_exec);
  AddFile("chain-target.txt", "end of the chain\n");
}

TNginxFixture::~TNginxFixture() {
  Stop();
}

std::string TNginxFixture::BinaryPath() {
  for (const char* candidate : kCandidates) {
    if (::access(candidate, X_OK) == 0) return candidate;
  }
  return std::string();
}

const char* TNginxFixture::UnavailableReason() {
  return "nginx is not installed (scripts/setup.sh installs nginx-light)";
}

std::string TNginxFixture::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string TNginxFixture::FilePath(const std::string& relativePath) const {
  return prefix_ / ("root/files/" + relativePath);
}

void TNginxFixture::AddFile(const std::string& relativePath, const std::string& bytes) {
  std::filesystem::path path = FilePath(relativePath);
  std::filesystem::create_directories(path.parent_path());
  WriteFileBytes(path.string(), bytes);
}

void TNginxFixture::AddPatternFile(const std::string& relativePath, std::int64_t size) {
  std::filesystem::path path = FilePath(relativePath);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<char> block(1 << 20);
  for (std::int64_t offset = 0; offset < size;) {
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(size - offset, block.size()));
    for (std::size_t i = 0; i < count; ++i) block[i] = PatternByte(offset + static_cast<std::int64_t>(i));
    out.write(block.data(), static_cast<std::streamsize>(count));
    offset += static_cast<std::int64_t>(count);
  }
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string TNginxFixture::ErrorLog() const {
  try {
    return ReadFileBytes(prefix_ / "logs/error.log");
  } catch (const std::exception&) {
    return std::string();
  }
}

void TNginxFixture::EnableTls() {
  if (!authority_) authority_ = std::make_unique<TTestAuthority>();
}

std::string TNginxFixture::TlsUrl(const std::string& path, TTlsServer server) const {
  return "https://127.0.0.1:" + std::to_string(TlsPort(server)) + path;
}

// One server on 127.0.0.1:<port> with the locations every server has; `extra`
// goes inside the block (the listen options, TLS settings, more locations).
std::string TNginxFixture::ServerBlock(std::uint16_t port, const std::string& extra) const {
  const std::string files = prefix_ / "root/files/";
  return "  server {\n"
         "    listen 127.0.0.1:" +
         std::to_string(port) + extra +
         "    server_name localhost;\n"
         "    root " +
         (prefix_ / "root") +
         ";\n"
         "    absolute_redirect off;\n"
         "    add_header X-Connection $connection always;\n"
         "    location /files/ { }\n"
         "    location = /chain/1 { return 302 /chain/2; }\n"
         "    location = /chain/2 { return 301 /chain/3; }\n"
         "    location = /chain/3 { return 307 ../files/chain-target.txt; }\n"
         "    location /chunked/ {\n"
         "      alias " +
         files +
         ";\n"
         "      sub_filter_types *;\n"
         "      sub_filter 'no-such-text' 'x';\n"
         "      sub_filter_once off;\n"
         "    }\n"
         "    location /close/ {\n"
         "      alias " +
         files +
         ";\n"
         "      keepalive_timeout 0;\n"
         "    }\n"
         "  }\n";
}

std::string TNginxFixture::TlsServerBlock(TTlsServer server) const {
  using TCert = TTestAuthority::TCert;
  TCert cert = TCert::Good;
  // TLS 1.1 signs its handshake with SHA-1, which OpenSSL 3 allows only at
  // security level 0.
  std::string protocols = "    ssl_protocols TLSv1.2 TLSv1.3;\n";
  std::string extra;
  switch (server) {
    case TTlsServer::Good:
      extra =
          "    location /downgrade/ { rewrite ^/downgrade/(.*)$ http://127.0.0.1:" + std::to_string(port_) +
          "/files/$1 redirect; }\n";
      break;
    case TTlsServer::WrongName:
      cert = TCert::WrongName;
      break;
    case TTlsServer::Expired:
      cert = TCert::Expired;
      break;
    case TTlsServer::UnknownAuthority:
      cert = TCert::UnknownAuthority;
      break;
    case TTlsServer::Tls11Only:
    case TTlsServer::Count:
      protocols = "    ssl_protocols TLSv1.1;\n    ssl_ciphers DEFAULT:@SECLEVEL=0;\n";
      break;
  }
  return ServerBlock(TlsPort(server), " ssl;\n" + protocols + "    ssl_certificate " +
                                          authority_->CertFile(cert) + ";\n    ssl_certificate_key " +
                                          authority_->KeyFile() + ";\n" + extra);
}

void TNginxFixture::WriteConfiguration() const {
  const std::string temp = prefix_ / "temp";
  std::string conf;
  // As root the workers would switch to an unprivileged user that cannot read
  // the temporary root; keep them as root. A normal user cannot switch at all.
  if (::geteuid() == 0) conf += "user root;\n";
  conf +=
      "worker_processes 1;\n"
      "daemon off;\n"
      "pid " +
      (prefix_ / "logs/nginx.pid") +
      ";\n"
      "error_log " +
      (prefix_ / "logs/error.log") +
      " warn;\n"
      "events { worker_connections 256; }\n"
      "http {\n"
      "  access_log off;\n"
      "  default_type application/octet-stream;\n"
      "  sendfile on;\n"
      "  keepalive_timeout 30s;\n"
      "  keepalive_requests 10000;\n"
      "  client_body_temp_path " +
      temp +
      "/body;\n"
      "  proxy_temp_path " +
      temp +
      "/proxy;\n"
      "  fastcgi_temp_path " +
      temp +
      "/fastcgi;\n"
      "  uwsgi_temp_path " +
      temp +
      "/uwsgi;\n"
      "  scgi_temp_path " +
      temp + "/scgi;\n";
  std::string plainExtra = ";\n";
  if (authority_) {
    plainExtra +=
        "    location /upgrade/ { rewrite ^/upgrade/(.*)$ " + TlsUrl("/files/$1") + " redirect; }\n";
  }
  conf += ServerBlock(port_, plainExtra);
  if (authority_) {
    for (std::size_t i = 0; i < tlsPorts_.size(); ++i) conf += TlsServerBlock(static_cast<TTlsServer>(i));
  }
  conf += "}\n";
  WriteFileBytes(prefix_ / "nginx.conf", conf);
}

void TNginxFixture::Start() {
  const std::string binary = BinaryPath();
  if (binary.empty()) throw std::runtime_error("nginx is not installed");
  for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
    port_ = FreeLoopbackPort();
    if (authority_) {
      for (std::uint16_t& port : tlsPorts_) port = FreeLoopbackPort();
    }
    WriteConfiguration();
    const std::string prefix = prefix_.Path() + "/";
    const std::string conf = prefix_ / "nginx.conf";
    const std::string errorLog = prefix_ / "logs/error.log";
    pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
      ::execl(binary.c_str(), binary.c_str(), "-p", prefix.c_str(), "-c", conf.c_str(), "-e",
              errorLog.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    pid_ = child;
    if (WaitUntilListening(kStartTimeoutMs)) return;
    Stop();
  }
  throw std::runtime_error("nginx did not start:\n" + ErrorLog());
}

bool TNginxFixture::WaitUntilListening(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {  // exited: port taken or bad configuration
      pid_ = -1;
      return false;
    }
    int error = 0;
    TSocket probe = TSocket::CreateTcp(error);
    if (probe.StartConnect(TIPv4Address{{127, 0, 0, 1}}, port_, error) != TSocketWait::Failed &&
        probe.WaitConnected(200, error) == TSocketWait::Ready) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void TNginxFixture::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);  // fast shutdown of the master and its worker
  int status = 0;
  for (int i = 0; i < 250 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (::waitpid(pid_, &status, WNOHANG) == 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
  }
  pid_ = -1;
}

}  // namespace bailan::test
