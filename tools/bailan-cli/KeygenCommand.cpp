// bailan-cli keygen PRIVATE.pem PUBLIC.pem: makes the maker's ECDSA P-256 key
// pair. PRIVATE.pem (PKCS#8, readable by the maker alone) signs the manifest;
// PUBLIC.pem is what the build is configured with (BAILAN_MANIFEST_PUBLIC_KEY).
// Neither file is replaced when it exists: a key lost is every installer
// built with it refusing its server.
#include "CliCommand.h"
#include "KeyFiles.h"
#include "platform/Console.h"
#include "platform/SigningKey.h"

namespace bailan::cli {
namespace {

int RunKeygen(const std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError(TCliCommand::Find("keygen"));
  const TSigningKeyPair pair = GenerateSigningKeyPair();
  WriteWholeFile(ArgumentToCp936(args[0]), pair.PrivatePem, {.Replace = false, .Secret = true});
  WriteWholeFile(ArgumentToCp936(args[1]), pair.PublicPem, {.Replace = false, .Secret = false});
  return kExitOk;
}

const TCliCommand kKeygen("keygen", "PRIVATE.pem PUBLIC.pem", RunKeygen);

}  // namespace
}  // namespace bailan::cli
