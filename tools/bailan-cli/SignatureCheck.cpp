#include "SignatureCheck.h"

namespace bailan::cli {

// This build carries no verifier: a signature that cannot be checked is never
// taken for a good one.
void CheckSignature(const std::string& manifestUrl, const std::string& /*copyPath*/,
                    const std::string& /*publicKeyPath*/, TCheckReport& report) {
  report.Fail("manifest", manifestUrl, "signature", "signature check not available in this build");
}

}  // namespace bailan::cli
