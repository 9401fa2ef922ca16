// bailan-cli sign KEY MANIFEST: writes MANIFEST.sig, the DER signature of
// MANIFEST's bytes by the private key KEY, as `openssl dgst -sha256 -sign KEY
// -out MANIFEST.sig MANIFEST` would. Run on every change of the manifest, then
// upload both files.
#include "CliCommand.h"
#include "KeyFiles.h"
#include "platform/Console.h"
#include "platform/IniFile.h"
#include "platform/SigningKey.h"

namespace bailan::cli {
namespace {

// A key file longer than this holds more than one key.
constexpr std::size_t kMaxKeyFileSize = 16384;

int RunSign(const std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError(TCliCommand::Find("sign"));
  const std::string key = ReadWholeFile(ArgumentToCp936(args[0]), kMaxKeyFileSize);
  const std::string manifest = ArgumentToCp936(args[1]);
  // The installer reads no longer manifest.
  const std::string signature = SignMessage(key, ReadWholeFile(manifest, TIniFile::kMaxFileSize));
  WriteWholeFile(manifest + ".sig", signature, {.Replace = true, .Secret = false});
  return kExitOk;
}

const TCliCommand kSign("sign", "KEY MANIFEST", RunSign);

}  // namespace
}  // namespace bailan::cli
