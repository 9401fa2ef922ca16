#include "SignatureCheck.h"

#include "KeyFiles.h"
#include "platform/Signature.h"
#include "receive/ManifestSignature.h"

namespace bailan::cli {

void CheckSignature(const std::string& manifestUrl, const TSha256::TDigest& digest,
                    const std::string& publicKeyPath, TCheckReport& report) {
  try {
    const TSignatureKey key(ReadWholeFile(publicKeyPath, kMaxPublicKeyFileSize));
    CheckManifestSignature(manifestUrl, digest, key);
  } catch (const std::exception& error) {
    report.Fail("manifest", manifestUrl, "signature", FailureText(error));
  }
}

}  // namespace bailan::cli
