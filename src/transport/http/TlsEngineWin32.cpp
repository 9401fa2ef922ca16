// The client TLS engine on Windows: Schannel through SSPI, as a byte
// transformer. InitializeSecurityContextW runs the handshake over the bytes fed
// in (SNI from the host name), EncryptMessage and DecryptMessage turn records
// into data and back, ApplyControlToken makes our close_notify. Schannel is told
// to leave the certificate to us (TTlsTrust), so that the check is the same on
// Windows and under Wine.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#include "transport/http/NetExceptions.h"
#include "transport/http/SspiApiWin32.h"
#include "transport/http/TlsEngine.h"
#include "transport/http/TlsTrustWin32.h"

namespace bailan {
namespace {

// TLS 1.3 where this Windows offers it through SCHANNEL_CRED, else 1.2 alone;
// nothing older in either case.
constexpr DWORD kProtocols = SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT;
constexpr DWORD kFallbackProtocols = SP_PROT_TLS1_2_CLIENT;
constexpr DWORD kCredentialFlags =
    SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
constexpr ULONG kContextRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                  ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM;
// The content type of a TLS record that carries an alert (the record's first byte).
constexpr unsigned char kAlertRecordType = 21;
// The most bytes that may wait for one record to complete: TLS allows a header
// and 2^14 + 2048 bytes of protected data, so more without a whole record is
// no TLS peer, and its bytes are not kept.
constexpr std::size_t kMaxRecordBytes = 5 + 16384 + 2048;
// The same for one flight of the handshake (several records, the server's
// certificate chain among them): real chains take a few kilobytes.
constexpr std::size_t kMaxHandshakeBytes = 1024 * 1024;
// A server that asks for a client certificate is answered without one; asking
// again after that is a failure, not a loop.
constexpr int kMaxCredentialRetries = 1;

// The client credentials of the whole process: one handle lets Schannel resume
// sessions across connections (the parallel ranges of one download).
class TCredentials {
 public:
  // Acquires the handle; raises ETlsError when Schannel refuses. Owned through
  // SharedCredentials; any thread may use it.
  TCredentials() {
    SECURITY_STATUS status = Acquire(kProtocols);
    if (status == SEC_E_ALGORITHM_MISMATCH || status == SEC_E_UNSUPPORTED_FUNCTION) {
      status = Acquire(kFallbackProtocols);
    }
    if (status != SEC_E_OK) {
      throw ETlsError("Schannel gave no client credentials: " + SecurityStatusText(status));
    }
  }
  ~TCredentials() { ::FreeCredentialsHandle(&handle_); }
  TCredentials(const TCredentials&) = delete;
  TCredentials& operator=(const TCredentials&) = delete;

  CredHandle* Handle() { return &handle_; }

 private:
  SECURITY_STATUS Acquire(DWORD protocols) {
    SCHANNEL_CRED credential{};
    credential.dwVersion = SCHANNEL_CRED_VERSION;
    credential.grbitEnabledProtocols = protocols;
    credential.dwFlags = kCredentialFlags;
    wchar_t package[] = UNISP_NAME_W;
    return ::AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &credential, nullptr,
                                       nullptr, &handle_, nullptr);
  }

  CredHandle handle_{};
};

std::shared_ptr<TCredentials> SharedCredentials() {
  static std::mutex lock;
  static std::shared_ptr<TCredentials> credentials;
  const std::lock_guard<std::mutex> guard(lock);
  if (!credentials) {
    credentials = std::make_shared<TCredentials>();  // a failure is tried again by the next connection
  }
  return credentials;
}

// One security context, deleted with its owner.
class TContext {
 public:
  TContext() = default;
  ~TContext() {
    if (valid_) {
      ::DeleteSecurityContext(&handle_);
    }
  }
  TContext(const TContext&) = delete;
  TContext& operator=(const TContext&) = delete;

  bool Valid() const { return valid_; }
  CtxtHandle* Get() { return valid_ ? &handle_ : nullptr; }
  // The handle for the call that creates it; valid afterwards when `created`.
  CtxtHandle* ForCreation() { return &handle_; }
  void MarkCreated() { valid_ = true; }

 private:
  CtxtHandle handle_{};
  bool valid_ = false;
};

// A token that Schannel allocated into an output buffer, freed when it goes away.
class TOutputToken {
 public:
  TOutputToken() = default;
  ~TOutputToken() {
    if (buffer_.pvBuffer) {
      ::FreeContextBuffer(buffer_.pvBuffer);
    }
  }
  TOutputToken(const TOutputToken&) = delete;
  TOutputToken& operator=(const TOutputToken&) = delete;

  SecBuffer* Buffer() { return &buffer_; }
  void AppendTo(std::string& out) const {
    if (buffer_.pvBuffer && buffer_.cbBuffer > 0) {
      out.append(static_cast<const char*>(buffer_.pvBuffer), buffer_.cbBuffer);
    }
  }

 private:
  SecBuffer buffer_{0, SECBUFFER_TOKEN, nullptr};
};

class TSchannelEngine final : public TTlsEngine {
 public:
  // Loads the extra authorities and takes the process's credentials (raises
  // ETlsError when either fails). Owned by its connection; one thread at a time.
  explicit TSchannelEngine(const TTlsSettings& settings)
      : host_(settings.HostName),
        targetName_(Cp936ToWide(host_)),
        trust_(settings.ExtraCaFile),
        credentials_(SharedCredentials()) {}

  void StartHandshake(std::string& out) override {
    if (context_.Valid()) {
      throw ETlsError("The TLS handshake with " + host_ + " was already started");
    }
    inHandshake_ = true;
    HandshakeStep(out);
  }

  bool HandshakeDone() const override { return established_; }

  void Feed(std::string_view in, std::string& out) override {
    if (!context_.Valid()) {
      throw ETlsError("TLS data from " + host_ + " arrived before the handshake was started");
    }
    if (peerClosed_ || shutdownSent_) {
      return;  // nothing counts after either side's close_notify
    }
    input_.append(in);
    while (inHandshake_ ? HandshakeStep(out) : DecryptStep()) {
    }
  }

  std::size_t ReadPlain(char* dest, std::size_t room, std::string&) override {
    const std::size_t count = std::min(room, plain_.size() - plainRead_);
    std::memcpy(dest, plain_.data() + plainRead_, count);
    plainRead_ += count;
    if (plainRead_ == plain_.size()) {
      plain_.clear();
      plainRead_ = 0;
    }
    return count;
  }

  void Encrypt(std::string_view plain, std::string& out) override {
    if (!established_ || shutdownSent_) {
      throw ETlsError("No TLS session with " + host_ + " to send on");
    }
    while (!plain.empty()) {
      const std::size_t piece = std::min<std::size_t>(plain.size(), sizes_.cbMaximumMessage);
      const std::size_t start = out.size();
      out.resize(start + sizes_.cbHeader + piece + sizes_.cbTrailer);
      char* record = out.data() + start;
      std::memcpy(record + sizes_.cbHeader, plain.data(), piece);
      SecBuffer buffers[4] = {
          {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record},
          {static_cast<ULONG>(piece), SECBUFFER_DATA, record + sizes_.cbHeader},
          {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record + sizes_.cbHeader + piece},
          {0, SECBUFFER_EMPTY, nullptr},
      };
      SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
      const SECURITY_STATUS status = ::EncryptMessage(context_.Get(), 0, &message, 0);
      if (status != SEC_E_OK) {
        out.resize(start);
        throw ETlsError("A TLS record for " + host_ + " could not be made: " + SecurityStatusText(status));
      }
      out.resize(start + buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
      plain.remove_prefix(piece);
    }
  }

  bool PeerClosed() const override { return peerClosed_ && plainRead_ == plain_.size(); }

  void Shutdown(std::string& out) override {
    if (!context_.Valid() || shutdownSent_) {
      return;
    }
    shutdownSent_ = true;
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer control{sizeof type, SECBUFFER_TOKEN, &type};
    SecBufferDesc controlDesc{SECBUFFER_VERSION, 1, &control};
    SECURITY_STATUS status = ::ApplyControlToken(context_.Get(), &controlDesc);
    if (status != SEC_E_OK) {
      throw ETlsError("The TLS session with " + host_ + " cannot be closed: " + SecurityStatusText(status));
    }
    TOutputToken token;
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, token.Buffer()};
    ULONG attributes = 0;
    status = ::InitializeSecurityContextW(credentials_->Handle(), context_.Get(), targetName_.data(),
                                          kContextRequest, 0, 0, nullptr, 0, nullptr, &outDesc, &attributes,
                                          nullptr);
    if (FAILED(status)) {
      throw ETlsError("The TLS session with " + host_ + " cannot be closed: " + SecurityStatusText(status));
    }
    token.AppendTo(out);
  }

 private:
  // Drops the bytes of input_ that a call used: all of them, or all but the
  // last `extra.cbBuffer` when Schannel left those over.
  void KeepUnused(const SecBuffer& extra) {
    if (extra.BufferType == SECBUFFER_EXTRA && extra.cbBuffer > 0 && extra.cbBuffer <= input_.size()) {
      input_.erase(0, input_.size() - extra.cbBuffer);
    } else {
      input_.clear();
    }
  }

  // Fails when more than `limit` bytes wait for a record that never completes.
  void CheckPending(std::size_t limit) const {
    if (input_.size() > limit) {
      throw ETlsError("The TLS peer " + host_ + " sent " + std::to_string(input_.size()) +
                      " bytes without completing a record");
    }
  }

  // One InitializeSecurityContextW call over the pending input (none for the
  // first). Returns true when the engine should go on with what is left.
  bool HandshakeStep(std::string& out) {
    const bool first = !context_.Valid();
    if (!first && input_.empty() && !stepWithoutInput_) {
      return false;
    }
    stepWithoutInput_ = false;
    SecBuffer inBuffers[2] = {{static_cast<ULONG>(input_.size()), SECBUFFER_TOKEN, input_.data()},
                              {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc{SECBUFFER_VERSION, 2, inBuffers};
    TOutputToken token;
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, token.Buffer()};
    ULONG attributes = 0;
    const SECURITY_STATUS status = ::InitializeSecurityContextW(
        credentials_->Handle(), context_.Get(), targetName_.data(), kContextRequest, 0, 0,
        first ? nullptr : &inDesc, 0, context_.ForCreation(), &outDesc, &attributes, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      CheckPending(kMaxHandshakeBytes);
      return false;  // the rest of the record is still on its way
    }
    if (FAILED(status)) {
      throw ETlsError("The TLS handshake with " + host_ + " failed: " + SecurityStatusText(status));
    }
    context_.MarkCreated();
    token.AppendTo(out);
    if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
      // The server asks for a client certificate: the same input again, without one.
      if (++credentialRetries_ > kMaxCredentialRetries) {
        throw ETlsError("The TLS server " + host_ + " insists on a client certificate");
      }
      stepWithoutInput_ = true;
      return true;
    }
    if (!first) {
      KeepUnused(inBuffers[1]);
    }
    if (status == SEC_E_OK) {
      FinishHandshake();
      return true;
    }
    if (status == SEC_I_CONTINUE_NEEDED) {
      return !input_.empty();
    }
    throw ETlsError("The TLS handshake with " + host_ + " stopped: " + SecurityStatusText(status));
  }

  // The handshake is complete: the certificate must pass, the protocol be 1.2
  // or later, and the record sizes are read for Encrypt.
  void FinishHandshake() {
    inHandshake_ = false;
    PCCERT_CONTEXT rawCertificate = nullptr;
    if (::QueryContextAttributesW(context_.Get(), SECPKG_ATTR_REMOTE_CERT_CONTEXT, &rawCertificate) !=
            SEC_E_OK ||
        !rawCertificate) {
      throw ETlsError("The TLS server " + host_ + " sent no certificate");
    }
    const TCertContextPtr certificate(rawCertificate);
    trust_.Check(certificate.get(), host_);

    SecPkgContext_ConnectionInfo connection{};
    if (::QueryContextAttributesW(context_.Get(), SECPKG_ATTR_CONNECTION_INFO, &connection) != SEC_E_OK ||
        (connection.dwProtocol & kProtocols) == 0) {
      throw ETlsError("The TLS server " + host_ + " speaks no TLS 1.2 or later");
    }
    const SECURITY_STATUS status =
        ::QueryContextAttributesW(context_.Get(), SECPKG_ATTR_STREAM_SIZES, &sizes_);
    if (status != SEC_E_OK || sizes_.cbMaximumMessage == 0) {
      throw ETlsError("The TLS session with " + host_ +
                      " gave no record sizes: " + SecurityStatusText(status));
    }
    established_ = true;
  }

  // One DecryptMessage call over the pending input. Returns true when the
  // engine should go on with what is left.
  bool DecryptStep() {
    if (input_.empty()) {
      return false;
    }
    SecBuffer buffers[4] = {{static_cast<ULONG>(input_.size()), SECBUFFER_DATA, input_.data()},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
    const bool alertRecord = static_cast<unsigned char>(input_[0]) == kAlertRecordType;
    SECURITY_STATUS status = ::DecryptMessage(context_.Get(), &message, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      CheckPending(kMaxRecordBytes);
      return false;
    }
    if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED) {
      throw ETlsError("A TLS record from " + host_ + " could not be read: " + SecurityStatusText(status));
    }
    SecBuffer extra{0, SECBUFFER_EMPTY, nullptr};
    const std::size_t plainBefore = plain_.size();
    for (const SecBuffer& buffer : buffers) {
      if (buffer.BufferType == SECBUFFER_DATA && buffer.pvBuffer && buffer.cbBuffer > 0) {
        plain_.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
      } else if (buffer.BufferType == SECBUFFER_EXTRA) {
        extra = buffer;
      }
    }
    KeepUnused(extra);
    if (status == SEC_E_OK && alertRecord && plain_.size() == plainBefore) {
      // Schannel reports the peer's close_notify as SEC_I_CONTEXT_EXPIRED;
      // Wine's, as an alert record that decrypted to nothing. (Up to TLS 1.2 the
      // record type is in the clear, and any other alert fails the call.)
      status = SEC_I_CONTEXT_EXPIRED;
    }
    if (status == SEC_I_CONTEXT_EXPIRED) {
      peerClosed_ = true;  // the peer's close_notify
      input_.clear();
      return false;
    }
    if (status == SEC_I_RENEGOTIATE) {
      // A handshake message after the handshake (a renegotiation, or TLS 1.3's
      // tickets and key updates): it goes to InitializeSecurityContextW.
      inHandshake_ = true;
      stepWithoutInput_ = true;
    }
    return true;
  }

  const std::string host_;
  std::wstring targetName_;
  const TTlsTrust trust_;
  const std::shared_ptr<TCredentials> credentials_;
  TContext context_;
  SecPkgContext_StreamSizes sizes_{};
  std::string input_;  // received bytes that no call used yet
  std::string plain_;  // decrypted data; ReadPlain has taken the first plainRead_ bytes
  std::size_t plainRead_ = 0;
  bool inHandshake_ = false;       // the next input goes to InitializeSecurityContextW
  bool stepWithoutInput_ = false;  // call it once even when no input waits
  bool established_ = false;
  bool peerClosed_ = false;
  bool shutdownSent_ = false;
  int credentialRetries_ = 0;
};

}  // namespace

std::unique_ptr<TTlsEngine> CreateTlsEngine(const TTlsSettings& settings) {
  return std::make_unique<TSchannelEngine>(settings);
}

}  // namespace bailan
