// The makers' key tools are not built on Windows: a maker signs on the machine
// where the installer is built.
#include "platform/Sha256.h"
#include "platform/SigningKey.h"

namespace bailan {
namespace {

[[noreturn]] void NotAvailable() {
  throw ECryptoError("making keys and signing are not available on Windows; use the Linux build or openssl");
}

}  // namespace

TSigningKeyPair GenerateSigningKeyPair() {
  NotAvailable();
}

std::string SignMessage(std::string_view, std::string_view) {
  NotAvailable();
}

}  // namespace bailan
