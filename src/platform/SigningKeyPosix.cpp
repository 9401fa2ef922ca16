// Key making and signing through libcrypto.
#include <openssl/bio.h>
#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>

#include "platform/Sha256.h"
#include "platform/Signature.h"
#include "platform/SigningKey.h"

namespace bailan {
namespace {

struct TFreeKey {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct TFreeBio {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct TFreeContext {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using TKey = std::unique_ptr<EVP_PKEY, TFreeKey>;
using TBio = std::unique_ptr<BIO, TFreeBio>;

[[noreturn]] void Fail(const char* call) {
  ERR_clear_error();
  throw ECryptoError(std::string(call) + " failed");
}

// What `write` put into a memory BIO.
template <typename TWrite>
std::string WritePem(TWrite write) {
  TBio bio(BIO_new(BIO_s_mem()));
  if (!bio || write(bio.get()) != 1) Fail("PEM_write_bio");
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<std::size_t>(size));
}

// Never asks for a pass phrase: an encrypted key is refused.
int NoPassphrase(char*, int, int, void*) {
  return 0;
}

TKey ReadPrivateKey(std::string_view pem) {
  TBio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  if (!bio) Fail("BIO_new_mem_buf");
  TKey key(PEM_read_bio_PrivateKey(bio.get(), nullptr, NoPassphrase, nullptr));
  ERR_clear_error();
  char group[32] = {};
  std::size_t length = 0;
  if (!key || !EVP_PKEY_is_a(key.get(), "EC") ||
      EVP_PKEY_get_utf8_string_param(key.get(), OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, &length) !=
          1 ||
      std::string_view(group, length) != "prime256v1") {
    ERR_clear_error();
    throw ESignatureError("the private key is not an unencrypted ECDSA P-256 key in PEM");
  }
  return key;
}

}  // namespace

TSigningKeyPair GenerateSigningKeyPair() {
  TKey key(EVP_EC_gen("P-256"));
  if (!key) Fail("EVP_EC_gen");
  TSigningKeyPair pair;
  pair.PrivatePem = WritePem([&](BIO* bio) {
    return PEM_write_bio_PrivateKey(bio, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
  });
  pair.PublicPem = WritePem([&](BIO* bio) { return PEM_write_bio_PUBKEY(bio, key.get()); });
  return pair;
}

std::string SignMessage(std::string_view privatePem, std::string_view message) {
  const TKey key = ReadPrivateKey(privatePem);
  std::unique_ptr<EVP_MD_CTX, TFreeContext> context(EVP_MD_CTX_new());
  if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1) {
    Fail("EVP_DigestSignInit");
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(message.data());
  std::size_t size = 0;
  if (EVP_DigestSign(context.get(), nullptr, &size, bytes, message.size()) != 1) Fail("EVP_DigestSign");
  std::string signature(size, '\0');
  if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &size, bytes,
                     message.size()) != 1) {
    Fail("EVP_DigestSign");
  }
  signature.resize(size);
  return signature;
}

}  // namespace bailan
