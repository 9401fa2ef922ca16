// The TLS engine over libssl: one SSL object between two memory BIOs, so that
// the connection does every socket wait itself.
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <map>
#include <mutex>

#include "transport/http/NetExceptions.h"
#include "transport/http/TlsEngine.h"

namespace bailan {
namespace {

constexpr const char* kHandshakeFailedText = "TLS handshake failed";
constexpr const char* kRecordFailedText = "TLS record failed";
constexpr std::size_t kDrainBlock = 16384;  // bytes taken off the output BIO per read

struct TCtxFree {
  void operator()(SSL_CTX* ctx) const { SSL_CTX_free(ctx); }
};
struct TSslFree {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};
using TCtxPtr = std::unique_ptr<SSL_CTX, TCtxFree>;
using TSslPtr = std::unique_ptr<SSL, TSslFree>;

// The reason of the oldest error this thread's queue holds, as libssl words it
// (a peer's alert reads "tlsv1 alert ..."); `fallback` when there is none. The
// queue is emptied.
std::string QueuedReason(const char* fallback) {
  const unsigned long code = ERR_get_error();
  ERR_clear_error();
  const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
  return reason ? reason : fallback;
}

// One context per set of trusted authorities, shared by every engine (and so
// every segment thread) that trusts the same: libssl lets many threads create
// sessions from one context once it is set up. Set up under the lock; never
// changed afterwards.
SSL_CTX* SharedContext(const std::string& extraCaFile) {
  static std::mutex mutex;
  static std::map<std::string, TCtxPtr> contexts;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = contexts.find(extraCaFile);
  if (found != contexts.end()) return found->second.get();
  ERR_clear_error();
  TCtxPtr ctx(SSL_CTX_new(TLS_client_method()));
  if (!ctx) throw ETlsError(QueuedReason("cannot create a TLS context"));
  SSL_CTX_set_min_proto_version(ctx.get(), TLS1_2_VERSION);
  SSL_CTX_set_verify(ctx.get(), SSL_VERIFY_PEER, nullptr);
  if (SSL_CTX_set_default_verify_paths(ctx.get()) != 1) {
    throw ETlsError("cannot load the system's trusted authorities: " + QueuedReason("unknown reason"));
  }
  if (!extraCaFile.empty() && SSL_CTX_load_verify_locations(ctx.get(), extraCaFile.c_str(), nullptr) != 1) {
    throw ETlsError("cannot load the trusted authorities of " + extraCaFile + ": " +
                    QueuedReason("unknown reason"));
  }
  return contexts.emplace(extraCaFile, std::move(ctx)).first->second.get();
}

class TOpenSslEngine final : public TTlsEngine {
 public:
  // Owns its SSL object, which owns both memory BIOs and holds a reference on
  // the shared context. Created and used by the connection's thread.
  explicit TOpenSslEngine(const TTlsSettings& settings) {
    SSL_CTX* ctx = SharedContext(settings.ExtraCaFile);
    ERR_clear_error();
    ssl_.reset(SSL_new(ctx));
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = BIO_new(BIO_s_mem());
    if (!ssl_ || !in || !out) {
      BIO_free(in);
      BIO_free(out);
      throw ETlsError(QueuedReason("cannot create a TLS session"));
    }
    in_ = in;
    out_ = out;
    SSL_set_bio(ssl_.get(), in, out);
    SSL_set_connect_state(ssl_.get());
    // An address literal is matched against the certificate's IP entries and
    // is not sent as SNI; a name is both.
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl_.get());
    if (X509_VERIFY_PARAM_set1_ip_asc(param, settings.HostName.c_str()) != 1) {
      ERR_clear_error();
      SSL_set_hostflags(ssl_.get(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
      if (SSL_set1_host(ssl_.get(), settings.HostName.c_str()) != 1 ||
          SSL_set_tlsext_host_name(ssl_.get(), settings.HostName.c_str()) != 1) {
        throw ETlsError("cannot check the host name " + settings.HostName + ": " +
                        QueuedReason("unknown reason"));
      }
    }
  }

  void StartHandshake(std::string& out) override { Advance(out); }

  bool HandshakeDone() const override { return handshakeDone_; }

  void Feed(std::string_view in, std::string& out) override {
    if (!in.empty() &&
        BIO_write(in_, in.data(), static_cast<int>(in.size())) != static_cast<int>(in.size())) {
      throw ETlsError("TLS input buffer full");
    }
    if (!handshakeDone_) Advance(out);
  }

  std::size_t ReadPlain(char* dest, std::size_t room, std::string& out) override {
    if (!handshakeDone_ || peerClosed_ || room == 0) return 0;
    ERR_clear_error();
    std::size_t read = 0;
    const int result = SSL_read_ex(ssl_.get(), dest, room, &read);
    const int error = result == 1 ? SSL_ERROR_NONE : SSL_get_error(ssl_.get(), result);
    Drain(out);  // post-handshake messages may need an answer
    switch (error) {
      case SSL_ERROR_NONE:
        return read;
      case SSL_ERROR_WANT_READ:
        return 0;
      case SSL_ERROR_ZERO_RETURN:
        peerClosed_ = true;
        return 0;
      default:
        throw ETlsError(QueuedReason(kRecordFailedText));
    }
  }

  void Encrypt(std::string_view plain, std::string& out) override {
    ERR_clear_error();
    std::size_t written = 0;
    if (!plain.empty() && SSL_write_ex(ssl_.get(), plain.data(), plain.size(), &written) != 1) {
      throw ETlsError(QueuedReason(kRecordFailedText));
    }
    Drain(out);
  }

  bool PeerClosed() const override { return peerClosed_; }

  void Shutdown(std::string& out) override {
    if (!handshakeDone_) return;
    ERR_clear_error();
    SSL_shutdown(ssl_.get());
    ERR_clear_error();
    Drain(out);
  }

 private:
  // One handshake step with the input so far; its records go to `out`.
  void Advance(std::string& out) {
    ERR_clear_error();
    const int result = SSL_do_handshake(ssl_.get());
    const int error = result == 1 ? SSL_ERROR_NONE : SSL_get_error(ssl_.get(), result);
    Drain(out);  // an alert that ends a failed handshake goes out too
    if (error == SSL_ERROR_NONE) {
      handshakeDone_ = true;
      return;
    }
    if (error == SSL_ERROR_WANT_READ) return;
    std::string reason = std::string(kHandshakeFailedText) + ": " + QueuedReason("no reason given");
    const long verify = SSL_get_verify_result(ssl_.get());
    if (verify != X509_V_OK) reason += std::string(": ") + X509_verify_cert_error_string(verify);
    throw ETlsError(reason);
  }

  void Drain(std::string& out) {
    char block[kDrainBlock];
    for (;;) {
      const int taken = BIO_read(out_, block, sizeof block);
      if (taken <= 0) return;
      out.append(block, static_cast<std::size_t>(taken));
    }
  }

  TSslPtr ssl_;
  BIO* in_ = nullptr;   // owned by ssl_
  BIO* out_ = nullptr;  // owned by ssl_
  bool handshakeDone_ = false;
  bool peerClosed_ = false;
};

}  // namespace

std::unique_ptr<TTlsEngine> CreateTlsEngine(const TTlsSettings& settings) {
  return std::make_unique<TOpenSslEngine>(settings);
}

}  // namespace bailan
