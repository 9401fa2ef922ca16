#include "receive/ManifestSignature.h"

#include "platform/EcdsaP256.h"
#include "platform/MemoryStream.h"
#include "receive/BoundedStream.h"
#include "receive/ManifestKeyConfig.h"
#include "transport/http/HttpClient.h"

namespace bailan {
namespace {

constexpr int kSignatureReadTimeoutMs = 30000;  // as the manifest's own fetch
// No longer answer can be a signature; reading stops there.
constexpr std::int64_t kMaxSignatureBytes = p256::kMaxDerSignatureSize;

}  // namespace

const TSignatureKey* BuiltInManifestKey() {
  static const std::unique_ptr<TSignatureKey> key =
      sizeof kManifestPublicKeyPem > 1 ? std::make_unique<TSignatureKey>(kManifestPublicKeyPem) : nullptr;
  return key.get();
}

std::string SignatureUrl(const std::string& manifestUrl) {
  return manifestUrl + ".sig";
}

void CheckManifestSignature(const std::string& manifestUrl, const TSha256::TDigest& digest,
                            const TSignatureKey& key) {
  TMemoryStream body;
  TBoundedStream target(body, kMaxSignatureBytes, "the signature");
  THttpClient client;
  client.SetHandleRedirects(true);
  client.SetReadTimeout(kSignatureReadTimeoutMs);
  try {
    client.GetToStream(SignatureUrl(manifestUrl), target);
  } catch (const std::exception& error) {
    throw ESignatureError(target.Overflowed()
                              ? std::string(error.what())
                              : "the signature could not be received: " + std::string(error.what()));
  }
  key.Verify(digest, body.Bytes());
}

}  // namespace bailan
