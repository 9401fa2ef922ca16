#pragma once

// The Windows security API for the TLS files of this folder only (Schannel
// through SSPI, and CryptoAPI for certificates): never included by a header
// that other folders see.
#include "platform/Win32Api.h"
// windows.h first (above): the security headers need its types.
#include <wincrypt.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <sspi.h>

#include <memory>
#include <string>

namespace bailan {

// A certificate context, freed when the pointer goes away.
struct TCertContextFree {
  void operator()(const CERT_CONTEXT* context) const { ::CertFreeCertificateContext(context); }
};
using TCertContextPtr = std::unique_ptr<const CERT_CONTEXT, TCertContextFree>;

// A certificate store, closed when the pointer goes away.
struct TCertStoreClose {
  void operator()(void* store) const { ::CertCloseStore(store, 0); }
};
using TCertStorePtr = std::unique_ptr<void, TCertStoreClose>;

// "SEC_E_UNTRUSTED_ROOT (0x80090325)": the name of a security status (a
// SECURITY_STATUS or a certificate HRESULT) and its number, in one line and the
// same on a Windows of any language.
std::string SecurityStatusText(long status);

}  // namespace bailan
