#pragma once

#include <string>
#include <vector>

#include "support/TempDir.h"

namespace bailan::test {

// A certificate authority made for one test run with the `openssl` tool, and the
// server certificates the TLS tests need, all under a temporary folder:
//
//   AuthorityFile()        the authority to trust (PEM)
//   Good                   localhost and 127.0.0.1, valid now
//   WrongName              only "wrong.example", valid now
//   Expired                localhost and 127.0.0.1, expired years ago
//   UnknownAuthority       localhost and 127.0.0.1, signed by another authority
//
// Every certificate shares one EC P-256 key (KeyFile()), quick to make.
class TTestAuthority {
 public:
  enum class TCert { Good, WrongName, Expired, UnknownAuthority };

  // Makes the authorities and certificates at once (a few openssl runs); throws
  // std::runtime_error with openssl's complaint when the tool fails. Owns the
  // folder and removes it when destroyed. Use from one thread.
  TTestAuthority();
  TTestAuthority(const TTestAuthority&) = delete;
  TTestAuthority& operator=(const TTestAuthority&) = delete;

  // The openssl tool, or empty when it is not installed.
  static std::string ToolPath();
  static bool Available() { return !ToolPath().empty(); }
  static const char* UnavailableReason();

  std::string AuthorityFile() const { return folder_ / "ca.pem"; }
  std::string KeyFile() const { return folder_ / "leaf.key"; }
  std::string CertFile(TCert cert) const;

 private:
  void Run(const std::vector<std::string>& args) const;
  void MakeAuthority(const std::string& name, const std::string& subject) const;
  void Sign(const std::string& authority, const std::string& extensions, bool expired,
            const std::string& out) const;

  TTempDir folder_;
};

}  // namespace bailan::test
