// The server certificate check over CryptoAPI: a chain built by the system's
// engine (its root store, the intermediates the server sent and the extra
// authorities), and the SSL policy with the host name; an unknown root that is
// one of the extra authorities is let through that policy.
#include "transport/http/TlsTrustWin32.h"

#include <cstring>
#include <string_view>

#include "platform/File.h"
#include "transport/http/NetExceptions.h"

namespace bailan {
namespace {

// A file of authorities is a few hundred kilobytes (a whole system bundle is
// about 200 KiB); anything far larger is not one, and is not read into memory.
constexpr std::size_t kMaxCaFileBytes = 4 * 1024 * 1024;
// SECURITY_FLAG_IGNORE_CERT_CN_INVALID of wininet.h, for the SSL policy's fdwChecks.
constexpr DWORD kIgnoreNameMismatch = 0x00001000;
constexpr std::string_view kPemBegin = "-----BEGIN CERTIFICATE-----";
constexpr std::string_view kPemEnd = "-----END CERTIFICATE-----";

struct TChainFree {
  void operator()(const CERT_CHAIN_CONTEXT* chain) const { ::CertFreeCertificateChain(chain); }
};
using TChainPtr = std::unique_ptr<const CERT_CHAIN_CONTEXT, TChainFree>;

std::string ReadCaFile(const std::string& path) {
  std::string bytes;
  try {
    TFile file = TFile::Open(path, TAccess::Read, TShareMode::DenyWrite);
    if (file.Size() > static_cast<std::int64_t>(kMaxCaFileBytes)) {
      throw ETlsError("The authority file \"" + path + "\" is larger than " +
                      std::to_string(kMaxCaFileBytes) + " bytes");
    }
    bytes.resize(static_cast<std::size_t>(file.Size()));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const std::size_t count = file.Read(bytes.data() + done, bytes.size() - done);
      if (count == 0) {
        break;
      }
      done += count;
    }
    bytes.resize(done);
  } catch (const EStreamError& error) {
    throw ETlsError("The authority file cannot be read: " + error.Message());
  }
  return bytes;
}

// Adds every "BEGIN CERTIFICATE" block of `pem` to `store`; returns how many.
int AddPemCertificates(HCERTSTORE store, std::string_view pem, const std::string& path) {
  int added = 0;
  for (std::size_t begin = pem.find(kPemBegin); begin != std::string_view::npos;
       begin = pem.find(kPemBegin, begin)) {
    const std::size_t end = pem.find(kPemEnd, begin + kPemBegin.size());
    const std::string damaged = "The authority file \"" + path + "\" holds a damaged certificate";
    if (end == std::string_view::npos) {
      throw ETlsError(damaged);
    }
    const std::string_view block = pem.substr(begin, end + kPemEnd.size() - begin);
    DWORD size = 0;
    if (!::CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                nullptr, &size, nullptr, nullptr)) {
      throw ETlsError(damaged);
    }
    std::string der(size, '\0');
    if (!::CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr) ||
        !::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                            reinterpret_cast<const BYTE*>(der.data()), size,
                                            CERT_STORE_ADD_USE_EXISTING, nullptr)) {
      throw ETlsError(damaged);
    }
    ++added;
    begin = end + kPemEnd.size();
  }
  return added;
}

// The calling thread's last error as a security status text.
std::string LastErrorText() {
  return SecurityStatusText(static_cast<long>(HRESULT_FROM_WIN32(::GetLastError())));
}

std::string RejectionText(DWORD status, const std::string& host) {
  switch (status) {
    case static_cast<DWORD>(CERT_E_EXPIRED):
      return "The certificate of " + host + " has expired or is not yet valid";
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
      return "The certificate is not valid for the host name " + host;
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_CHAINING):
      return "The certificate of " + host + " was issued by an unknown authority";
    case static_cast<DWORD>(CERT_E_WRONG_USAGE):
      return "The certificate of " + host + " is not meant for a TLS server";
    case static_cast<DWORD>(CERT_E_REVOKED):
    case static_cast<DWORD>(CRYPT_E_REVOKED):
      return "The certificate of " + host + " has been revoked";
    default:
      return "The certificate of " + host + " was refused: " + SecurityStatusText(static_cast<long>(status));
  }
}

// The chain that the system's engine builds for `certificate`, with the
// intermediates the server sent and the extra authorities at hand.
TChainPtr BuildChain(const CERT_CONTEXT* certificate, HCERTSTORE extraStore) {
  const TCertStorePtr candidates(
      ::CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr));
  if (!candidates || !::CertAddStoreToCollection(candidates.get(), certificate->hCertStore, 0, 0) ||
      (extraStore && !::CertAddStoreToCollection(candidates.get(), extraStore, 0, 0))) {
    throw ETlsError("No certificate store for the chain: " + LastErrorText());
  }
  LPSTR usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH),
                    const_cast<LPSTR>(szOID_SERVER_GATED_CRYPTO), const_cast<LPSTR>(szOID_SGC_NETSCAPE)};
  CERT_CHAIN_PARA chainPara{};
  chainPara.cbSize = sizeof chainPara;
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = static_cast<DWORD>(std::size(usages));
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!::CertGetCertificateChain(nullptr, certificate, nullptr, candidates.get(), &chainPara, 0, nullptr,
                                 &chain)) {
    throw ETlsError("The certificate chain could not be built: " + LastErrorText());
  }
  return TChainPtr(chain);
}

// The SSL policy's verdict on `chain` for `host` (0: accepted), with the
// SECURITY_FLAG_IGNORE_* checks of `ignored` left out.
DWORD PolicyStatus(const CERT_CHAIN_CONTEXT* chain, const std::wstring& host, DWORD flags, DWORD ignored) {
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA sslPara{};
  sslPara.cbSize = sizeof sslPara;
  sslPara.dwAuthType = AUTHTYPE_SERVER;
  sslPara.fdwChecks = ignored;
  sslPara.pwszServerName = const_cast<wchar_t*>(host.c_str());
  CERT_CHAIN_POLICY_PARA policyPara{};
  policyPara.cbSize = sizeof policyPara;
  policyPara.dwFlags = flags;
  policyPara.pvExtraPolicyPara = &sslPara;
  CERT_CHAIN_POLICY_STATUS policyStatus{};
  policyStatus.cbSize = sizeof policyStatus;
  if (!::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &policyStatus)) {
    throw ETlsError("The certificate chain could not be checked: " + LastErrorText());
  }
  return policyStatus.dwError;
}

// The status for the errors a chain carries (0: none that matter). Revocation
// is not asked for, so its "unknown" bits are no error.
DWORD ChainErrorStatus(DWORD trustErrors) {
  trustErrors &= ~static_cast<DWORD>(CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION);
  if (trustErrors == 0) return 0;
  if (trustErrors & CERT_TRUST_IS_NOT_TIME_VALID) return static_cast<DWORD>(CERT_E_EXPIRED);
  if (trustErrors & CERT_TRUST_IS_REVOKED) return static_cast<DWORD>(CRYPT_E_REVOKED);
  if (trustErrors & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN)) {
    return static_cast<DWORD>(CERT_E_UNTRUSTEDROOT);
  }
  if (trustErrors & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) return static_cast<DWORD>(CERT_E_WRONG_USAGE);
  if (trustErrors & CERT_TRUST_IS_NOT_SIGNATURE_VALID) return static_cast<DWORD>(TRUST_E_CERT_SIGNATURE);
  if (trustErrors & CERT_TRUST_INVALID_BASIC_CONSTRAINTS)
    return static_cast<DWORD>(TRUST_E_BASIC_CONSTRAINTS);
  return static_cast<DWORD>(TRUST_E_FAIL);
}

// True when `host` is an IPv4 address that the certificate names among its
// subject's alternative names. Wine's SSL policy matches names alone.
bool NamesAddress(const CERT_CONTEXT* certificate, const std::string& host) {
  in_addr address{};
  if (::inet_pton(AF_INET, host.c_str(), &address) != 1) {
    return false;
  }
  const CERT_INFO* info = certificate->pCertInfo;
  const CERT_EXTENSION* extension =
      ::CertFindExtension(szOID_SUBJECT_ALT_NAME2, info->cExtension, info->rgExtension);
  if (!extension) {
    return false;
  }
  CERT_ALT_NAME_INFO* names = nullptr;
  DWORD size = 0;
  if (!::CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names, &size)) {
    return false;
  }
  const std::unique_ptr<CERT_ALT_NAME_INFO, decltype(&::LocalFree)> owned(names, &::LocalFree);
  for (DWORD i = 0; i < names->cAltEntry; ++i) {
    const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
    if (entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS && entry.IPAddress.cbData == sizeof address &&
        std::memcmp(entry.IPAddress.pbData, &address, sizeof address) == 0) {
      return true;
    }
  }
  return false;
}

// True when the top of the chain (a self-signed certificate the system does
// not know) is one of the extra authorities.
bool EndsAtExtraAuthority(const CERT_CHAIN_CONTEXT* chain, HCERTSTORE extraStore) {
  if (!extraStore || chain->cChain == 0 || chain->rgpChain[0]->cElement == 0) {
    return false;
  }
  const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
  const CERT_CONTEXT* top = simple->rgpElement[simple->cElement - 1]->pCertContext;
  const TCertContextPtr found(
      ::CertFindCertificateInStore(extraStore, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, top, nullptr));
  return found != nullptr;
}

}  // namespace

TTlsTrust::TTlsTrust(const std::string& extraCaFile) {
  if (extraCaFile.empty()) {
    return;
  }
  extraStore_.reset(::CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr));
  if (!extraStore_) {
    throw ETlsError("No certificate store for the authority file: " + LastErrorText());
  }
  if (AddPemCertificates(extraStore_.get(), ReadCaFile(extraCaFile), extraCaFile) == 0) {
    throw ETlsError("The authority file \"" + extraCaFile + "\" holds no certificate");
  }
}

void TTlsTrust::Check(const CERT_CONTEXT* certificate, const std::string& host) const {
  const std::wstring wideHost = Cp936ToWide(host);
  const TChainPtr chain = BuildChain(certificate, extraStore_.get());
  DWORD trustErrors = chain->TrustStatus.dwErrorStatus;
  const bool extraTrusted =
      (trustErrors & CERT_TRUST_IS_UNTRUSTED_ROOT) && EndsAtExtraAuthority(chain.get(), extraStore_.get());
  if (extraTrusted) {
    trustErrors &= ~static_cast<DWORD>(CERT_TRUST_IS_UNTRUSTED_ROOT);
  }
  // The policy gives the precise reason on Windows; Wine's lets an unknown or
  // missing root pass, so the chain's own verdict is read as well.
  const DWORD flags = extraTrusted ? CERT_CHAIN_POLICY_ALLOW_UNKNOWN_CA_FLAG : 0;
  DWORD status = PolicyStatus(chain.get(), wideHost, flags, 0);
  if (status == static_cast<DWORD>(CERT_E_CN_NO_MATCH) && NamesAddress(certificate, host)) {
    status = PolicyStatus(chain.get(), wideHost, flags, kIgnoreNameMismatch);
  }
  if (status == 0) {
    status = ChainErrorStatus(trustErrors);
  }
  if (status != 0) {
    throw ETlsError(RejectionText(status, host));
  }
}

}  // namespace bailan
