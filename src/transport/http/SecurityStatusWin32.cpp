// Names of the security status codes that Schannel and the certificate chain
// checks return, so that a failure reads the same on every Windows.
#include <cstdio>

#include "transport/http/SspiApiWin32.h"

namespace bailan {
namespace {

struct TStatusName {
  long Status;
  const char* Name;
};

#define BAILAN_STATUS(name) \
  { static_cast<long>(name), #name }
constexpr TStatusName kStatusNames[] = {
    BAILAN_STATUS(SEC_E_INSUFFICIENT_MEMORY),
    BAILAN_STATUS(SEC_E_INVALID_HANDLE),
    BAILAN_STATUS(SEC_E_UNSUPPORTED_FUNCTION),
    BAILAN_STATUS(SEC_E_TARGET_UNKNOWN),
    BAILAN_STATUS(SEC_E_INTERNAL_ERROR),
    BAILAN_STATUS(SEC_E_SECPKG_NOT_FOUND),
    BAILAN_STATUS(SEC_E_INVALID_TOKEN),
    BAILAN_STATUS(SEC_E_NO_CREDENTIALS),
    BAILAN_STATUS(SEC_E_MESSAGE_ALTERED),
    BAILAN_STATUS(SEC_E_OUT_OF_SEQUENCE),
    BAILAN_STATUS(SEC_E_INCOMPLETE_MESSAGE),
    BAILAN_STATUS(SEC_E_BUFFER_TOO_SMALL),
    BAILAN_STATUS(SEC_E_WRONG_PRINCIPAL),
    BAILAN_STATUS(SEC_E_CONTEXT_EXPIRED),
    BAILAN_STATUS(SEC_E_ILLEGAL_MESSAGE),
    BAILAN_STATUS(SEC_E_CERT_UNKNOWN),
    BAILAN_STATUS(SEC_E_CERT_EXPIRED),
    BAILAN_STATUS(SEC_E_ENCRYPT_FAILURE),
    BAILAN_STATUS(SEC_E_DECRYPT_FAILURE),
    BAILAN_STATUS(SEC_E_ALGORITHM_MISMATCH),
    BAILAN_STATUS(SEC_E_UNTRUSTED_ROOT),
    BAILAN_STATUS(SEC_E_UNSUPPORTED_PREAUTH),
    BAILAN_STATUS(SEC_E_SHUTDOWN_IN_PROGRESS),
    BAILAN_STATUS(SEC_E_INVALID_PARAMETER),
    BAILAN_STATUS(CERT_E_EXPIRED),
    BAILAN_STATUS(CERT_E_UNTRUSTEDROOT),
    BAILAN_STATUS(CERT_E_CHAINING),
    BAILAN_STATUS(CERT_E_CN_NO_MATCH),
    BAILAN_STATUS(CERT_E_WRONG_USAGE),
    BAILAN_STATUS(CERT_E_REVOKED),
    BAILAN_STATUS(CERT_E_UNTRUSTEDCA),
    BAILAN_STATUS(CERT_E_INVALID_NAME),
    BAILAN_STATUS(CERT_E_ROLE),
    BAILAN_STATUS(CERT_E_PURPOSE),
    BAILAN_STATUS(TRUST_E_CERT_SIGNATURE),
    BAILAN_STATUS(TRUST_E_BASIC_CONSTRAINTS),
    BAILAN_STATUS(CRYPT_E_REVOKED),
    BAILAN_STATUS(CRYPT_E_NO_REVOCATION_CHECK),
};
#undef BAILAN_STATUS

}  // namespace

std::string SecurityStatusText(long status) {
  char number[16];
  std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(status));
  for (const TStatusName& entry : kStatusNames) {
    if (entry.Status == status) {
      return std::string(entry.Name) + " (" + number + ")";
    }
  }
  return std::string("security status ") + number;
}

}  // namespace bailan
