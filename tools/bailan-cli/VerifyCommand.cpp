// bailan-cli verify PUBKEY MANIFEST SIG: checks as the installer does that SIG
// is the signature of MANIFEST's bytes by the key PUBKEY. Exit 0 when it is, 1
// with the reason otherwise.
#include "CliCommand.h"
#include "KeyFiles.h"
#include "platform/Console.h"
#include "platform/EcdsaP256.h"
#include "platform/IniFile.h"
#include "platform/Signature.h"

namespace bailan::cli {
namespace {

// One byte past the longest signature, so that a longer file is refused as such.
constexpr std::size_t kMaxSignatureFileSize = p256::kMaxDerSignatureSize + 1;

int RunVerify(const std::vector<std::string>& args) {
  if (args.size() != 3) return UsageError(TCliCommand::Find("verify"));
  const TSignatureKey key(ReadWholeFile(ArgumentToCp936(args[0]), kMaxPublicKeyFileSize));
  key.Verify(ReadWholeFile(ArgumentToCp936(args[1]), TIniFile::kMaxFileSize),
             ReadWholeFile(ArgumentToCp936(args[2]), kMaxSignatureFileSize));
  PrintLine("valid");
  return kExitOk;
}

const TCliCommand kVerify("verify", "PUBKEY MANIFEST SIG", RunVerify);

}  // namespace
}  // namespace bailan::cli
