#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "support/TempDir.h"
#include "support/TestAuthority.h"

namespace bailan::test {

// Debian's nginx as a real HTTP peer on a free loopback port, with a generated
// configuration and a temporary prefix (configuration, logs, pid file, temp
// folders) and document root. Works as root and as a normal user.
//
// Locations served:
//   /files/...          the files added with AddFile (Range, HEAD, keep-alive)
//   /chain/1 ... /chain/3  a redirect chain (302, 301, 307 with a relative last
//                          hop) ending at /files/chain-target.txt
//   /chunked/...        files under files/ answered with Transfer-Encoding:
//                          chunked (no Content-Length)
//   /close/...          files under files/ answered with "Connection: close"
//
// With EnableTls() it also serves https (TLS 1.2 and 1.3) from certificates of a
// TTestAuthority made at start, each server on a port of its own (TlsPort):
//   Good, WrongName, Expired, UnknownAuthority   the same locations as above
//   Tls11Only            TLS 1.1 and nothing newer, when the library still speaks it
// and these redirects between the two:
//   http  /upgrade/X     302 to https://127.0.0.1:<Good>/files/X
//   https /downgrade/X   302 to http://127.0.0.1:<Port()>/files/X
//
//   TNginxFixture nginx;                       // nothing runs yet
//   nginx.AddFile("setup.zip", bytes);         // before or after Start
//   nginx.Start();
//   client.HeadRequest(nginx.Url("/files/setup.zip"));
class TNginxFixture {
 public:
  // Owns the prefix folder and, once started, the nginx process; stops it and
  // removes everything when destroyed. Use from one thread.
  TNginxFixture();
  ~TNginxFixture();
  TNginxFixture(const TNginxFixture&) = delete;
  TNginxFixture& operator=(const TNginxFixture&) = delete;

  // The nginx binary, or empty when it is not installed.
  static std::string BinaryPath();
  static bool Available() { return !BinaryPath().empty(); }
  // Why Available() is false, for the skip message of a test that needs nginx.
  static const char* UnavailableReason();

  enum class TTlsServer { Good, WrongName, Expired, UnknownAuthority, Tls11Only, Count };

  // Before Start: serve https too (makes the test authority; needs openssl).
  void EnableTls();
  std::uint16_t TlsPort(TTlsServer server = TTlsServer::Good) const {
    return tlsPorts_[static_cast<std::size_t>(server)];
  }
  // "https://127.0.0.1:<TlsPort(server)>" followed by `path`.
  std::string TlsUrl(const std::string& path, TTlsServer server = TTlsServer::Good) const;
  // The authority that signed every certificate but UnknownAuthority's (PEM).
  std::string AuthorityFile() const { return authority_ ? authority_->AuthorityFile() : std::string(); }

  // Writes the configuration and starts nginx; throws std::runtime_error (with
  // nginx's error log) when it does not come up.
  void Start();
  void Stop();

  // Puts `bytes` at files/<relativePath> under the root (folders created).
  void AddFile(const std::string& relativePath, const std::string& bytes);
  // Creates files/<relativePath> of `size` bytes where byte i is PatternByte(i),
  // without holding it in memory.
  void AddPatternFile(const std::string& relativePath, std::int64_t size);
  static char PatternByte(std::int64_t offset) {
    return static_cast<char>((offset * 131 + offset / 4099) & 0xff);
  }

  // Path of files/<relativePath> on disk.
  std::string FilePath(const std::string& relativePath) const;
  std::uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by `path`.
  std::string Url(const std::string& path) const;
  std::string ErrorLog() const;

 private:
  void WriteConfiguration() const;
  std::string ServerBlock(std::uint16_t port, const std::string& extra) const;
  std::string TlsServerBlock(TTlsServer server) const;
  bool WaitUntilListening(int timeoutMs);

  TTempDir prefix_;
  std::uint16_t port_ = 0;
  std::unique_ptr<TTestAuthority> authority_;  // set by EnableTls
  std::array<std::uint16_t, static_cast<std::size_t>(TTlsServer::Count)> tlsPorts_{};
  int pid_ = -1;  // Linux only: Debian's nginx is no Windows program
};

}  // namespace bailan::test
