#include "support/TestAuthority.h"

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "support/Subprocess.h"

namespace bailan::test {
namespace {

constexpr int kToolTimeoutMs = 30000;  // one openssl run takes milliseconds
constexpr const char* kCandidates[] = {"/usr/bin/openssl", "/usr/local/bin/openssl"};

// One configuration for the requests and the signing: a flat database that
// takes any subject, and one extension section per certificate kind.
constexpr const char* kConfiguration =
    "[req]\n"
    "distinguished_name = dn\n"
    "x509_extensions = authority\n"
    "prompt = no\n"
    "[dn]\n"
    "[authority]\n"
    "basicConstraints = critical, CA:TRUE\n"
    "keyUsage = critical, keyCertSign, cRLSign\n"
    "subjectKeyIdentifier = hash\n"
    "[ca]\n"
    "default_ca = signer\n"
    "[signer]\n"
    "database = $dir/index.txt\n"
    "new_certs_dir = $dir/issued\n"
    "serial = $dir/serial\n"
    "default_md = sha256\n"
    "policy = anything\n"
    "unique_subject = no\n"
    "[anything]\n"
    "commonName = supplied\n"
    "[local]\n"
    "basicConstraints = CA:FALSE\n"
    "keyUsage = critical, digitalSignature\n"
    "extendedKeyUsage = serverAuth\n"
    "subjectAltName = DNS:localhost, IP:127.0.0.1\n"
    "[elsewhere]\n"
    "basicConstraints = CA:FALSE\n"
    "keyUsage = critical, digitalSignature\n"
    "extendedKeyUsage = serverAuth\n"
    "subjectAltName = DNS:wrong.example\n";

constexpr const char* kValidDays = "2";  // outlives any test run

}  // namespace

std::string TTestAuthority::ToolPath() {
  for (const char* candidate : kCandidates) {
    if (std::filesystem::exists(candidate)) return candidate;
  }
  return std::string();
}

const char* TTestAuthority::UnavailableReason() {
  return "the openssl tool is not installed (scripts/setup.sh installs openssl)";
}

TTestAuthority::TTestAuthority() {
  if (!Available()) throw std::runtime_error(UnavailableReason());
  WriteFileBytes(folder_ / "openssl.cnf", "dir = " + folder_.Path() + "\n" + kConfiguration);
  WriteFileBytes(folder_ / "index.txt", "");
  WriteFileBytes(folder_ / "serial", "1000\n");
  std::filesystem::create_directories(folder_ / "issued");
  Run({"genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256", "-out", KeyFile()});
  MakeAuthority("ca", "/CN=Bailan Test Authority");
  MakeAuthority("rogue", "/CN=Bailan Unknown Authority");
  Run({"req", "-config", folder_ / "openssl.cnf", "-new", "-key", KeyFile(), "-subj", "/CN=localhost", "-out",
       folder_ / "leaf.csr"});
  Sign("ca", "local", false, CertFile(TCert::Good));
  Sign("ca", "elsewhere", false, CertFile(TCert::WrongName));
  Sign("ca", "local", true, CertFile(TCert::Expired));
  Sign("rogue", "local", false, CertFile(TCert::UnknownAuthority));
}

std::string TTestAuthority::CertFile(TCert cert) const {
  switch (cert) {
    case TCert::Good:
      return folder_ / "good.pem";
    case TCert::WrongName:
      return folder_ / "wrong-name.pem";
    case TCert::Expired:
      return folder_ / "expired.pem";
    case TCert::UnknownAuthority:
      break;
  }
  return folder_ / "unknown-authority.pem";
}

void TTestAuthority::MakeAuthority(const std::string& name, const std::string& subject) const {
  Run({"req", "-config", folder_ / "openssl.cnf", "-x509", "-new", "-key", KeyFile(), "-subj", subject,
       "-days", kValidDays, "-out", folder_ / (name + ".pem")});
}

void TTestAuthority::Sign(const std::string& authority, const std::string& extensions, bool expired,
                          const std::string& out) const {
  std::vector<std::string> args = {"ca",
                                   "-batch",
                                   "-notext",
                                   "-config",
                                   folder_ / "openssl.cnf",
                                   "-cert",
                                   folder_ / (authority + ".pem"),
                                   "-keyfile",
                                   KeyFile(),
                                   "-extensions",
                                   extensions,
                                   "-in",
                                   folder_ / "leaf.csr",
                                   "-out",
                                   out};
  if (expired) {
    args.insert(args.end(), {"-startdate", "20200101000000Z", "-enddate", "20200102000000Z"});
  } else {
    args.insert(args.end(), {"-days", kValidDays});
  }
  Run(args);
}

void TTestAuthority::Run(const std::vector<std::string>& args) const {
  std::vector<std::string> argv = {ToolPath()};
  argv.insert(argv.end(), args.begin(), args.end());
  TSubprocess tool(argv);
  if (tool.Wait(kToolTimeoutMs) != 0) {
    throw std::runtime_error("openssl " + args.front() + " failed: " + tool.Stderr());
  }
}

}  // namespace bailan::test
