#include "transport/http/HttpClient.h"

#include "platform/MemoryStream.h"
#include "transport/http/ChunkedDecoder.h"
#include "transport/http/NetExceptions.h"
#include "transport/http/RequestPath.h"
#include "transport/http/ResponseHeadReader.h"
#include "transport/http/TextUtil.h"
#include "transport/http/TrustedAuthorities.h"
#include "transport/http/Uri.h"

namespace bailan {
namespace {

constexpr std::int32_t kMaxPort = 65535;  // a larger port number names no TCP port

bool IsDefaultPortText(const std::string& port) {
  return port.empty() || port == "0" || port == "80" || port == "443" || !ParseInt32(port);
}

bool NeedsHttp11(THttpMethod method) {
  return method == THttpMethod::hmOptions || method == THttpMethod::hmTrace || method == THttpMethod::hmPut ||
         method == THttpMethod::hmDelete;
}

// Restores a lowered read time-out on every way out.
class TTimeoutOverride {
 public:
  TTimeoutOverride(TTcpConnection& connection, int timeoutMs)
      : connection_(connection), saved_(connection.ReadTimeout()) {
    connection_.SetReadTimeout(timeoutMs);
  }
  ~TTimeoutOverride() { connection_.SetReadTimeout(saved_); }
  TTimeoutOverride(const TTimeoutOverride&) = delete;
  TTimeoutOverride& operator=(const TTimeoutOverride&) = delete;

 private:
  TTcpConnection& connection_;
  int saved_;
};

}  // namespace

void THttpClient::GetToStream(const std::string& url, TStream& target) {
  PerformRequest(THttpMethod::hmGet, url, nullptr, &target);
}

void THttpClient::HeadRequest(const std::string& url) {
  PerformRequest(THttpMethod::hmHead, url, nullptr, nullptr);
}

void THttpClient::PerformRequest(THttpMethod method, const std::string& url, const std::string* source,
                                 TStream* target) {
  const std::int64_t targetStart = target ? target->Position() : 0;
  std::string nextUrl = url;
  try {
    for (bool redirected = false;; redirected = true) {
      ++redirectCount_;
      PrepareRequest(method, nextUrl, source, redirected);
      ExchangeHeads(method, source);
      if (observer_) observer_(Response);
      if (DecideOnResponse(method, target, targetStart) == TDecision::Done) break;
      nextUrl = Response.Location;
    }
  } catch (...) {
    EndOperation();
    throw;
  }
  EndOperation();
  redirectCount_ = 0;
}

bool THttpClient::IsTls() const {
  return SameTextIgnoreCase(scheme_, "https");
}

void THttpClient::PrepareRequest(THttpMethod method, const std::string& url, const std::string* source,
                                 bool redirected) {
  TUri uri(url);
  const bool wasTls = IsTls();
  if (!uri.Username.empty()) {
    Request.Username = uri.Username;
    Request.Password = uri.Password;
  }
  path_ = MergeRequestPath(path_, uri.Path);
  document_ = uri.Document;
  params_ = uri.Params;
  const bool newHost = !uri.Host.empty();
  if (newHost) host_ = uri.Host;
  // A relative URL keeps the scheme of the one it is resolved against.
  if (!uri.Scheme.empty()) {
    scheme_ = uri.Scheme;
  } else if (newHost || scheme_.empty()) {
    scheme_ = "http";
  }
  // What came over TLS must not lead the client on to plain HTTP, where anyone
  // on the way could answer in the server's name.
  if (redirected && wasTls && !IsTls()) throw ETlsError(std::string(kRedirectToPlainText) + ": " + url);
  TakePort(uri.Port, newHost);

  target_ = (method == THttpMethod::hmOptions && document_ == "*") ? "*" : path_ + document_ + params_;
  if (NeedsHttp11(method) && protocolVersion_ != TProtocolVersion::pv1_1)
    throw ENetException(kRequestMethodNeeds11Text);
  const bool hasBody = method == THttpMethod::hmPost || method == THttpMethod::hmPut;
  Request.ContentLength = hasBody ? static_cast<std::int64_t>(source ? source->size() : 0) : -1;
  Request.Host = port_ == "80" ? host_ : host_ + ":" + port_;
}

// The port of the next request: the URL's own, else the scheme's default. A URL
// that names another host starts from that host's default port; a relative one
// keeps a non-default current port.
void THttpClient::TakePort(const std::string& newPort, bool newHost) {
  if (!newPort.empty()) {
    port_ = newPort;
    return;
  }
  if (!newHost && !IsDefaultPortText(port_)) return;
  if (SameTextIgnoreCase(scheme_, "http")) {
    port_ = "80";
  } else if (SameTextIgnoreCase(scheme_, "https")) {
    port_ = "443";
  } else {
    throw EUnknownProtocol("");
  }
}

// A kept-alive connection that the server closed before this request reached
// it fails at once, without an answer: the request is sent once more on a fresh
// connection. Only requests that may be sent twice (GET, HEAD) are; a time-out
// is the server's answer and is not repeated.
void THttpClient::ExchangeHeads(THttpMethod method, const std::string* source) {
  const bool reused = ChooseConnection();
  try {
    SendRequest(method, source);
    ReadHead();
  } catch (const ENetException& error) {
    const bool repeatable = method == THttpMethod::hmGet || method == THttpMethod::hmHead;
    if (!reused || !repeatable || !IsLostConnection(error)) throw;
    connection_.CloseConnection();
    connection_.OpenConnection(readTimeout_);
    SendRequest(method, source);
    ReadHead();
  }
}

bool THttpClient::IsLostConnection(const ENetException& error) {
  if (dynamic_cast<const EConnClosedGracefully*>(&error)) return true;
  const auto* socket = dynamic_cast<const ESocketError*>(&error);
  return socket && !dynamic_cast<const EConnectException*>(&error) &&
         (socket->LastError() == kWsaEConnReset || socket->LastError() == kWsaEConnAborted ||
          socket->LastError() == kWsaEShutdown);
}

bool THttpClient::ChooseConnection() {
  std::optional<std::int32_t> port = ParseInt32(port_);
  if (!port || *port < 0 || *port > kMaxPort) RaiseNotAnInteger(port_);
  // A kept-alive connection serves only the same scheme, host and port.
  if (!SameTextIgnoreCase(host_, connection_.Host()) || *port != connection_.Port() ||
      IsTls() != connection_.UsesTls()) {
    connection_.CloseConnection();
    connection_.SetHost(host_);
    connection_.SetPort(static_cast<std::uint16_t>(*port));
    connection_.SetTls(IsTls() ? std::optional<TTlsSettings>(TTlsSettings{host_, ExtraTrustedAuthorities()})
                               : std::nullopt);
  }
  if (!KeepConnection()) connection_.CloseConnection();
  connection_.SetReadTimeout(readTimeout_);
  connection_.PollForClose();
  if (connection_.IsOpen()) return true;
  connection_.OpenConnection(readTimeout_);
  return false;
}

void THttpClient::SendRequest(THttpMethod method, const std::string* source) {
  std::string cookie = cookies_ ? cookies_->CookieHeader(host_, path_) : std::string();
  connection_.OpenWriteBuffer();
  try {
    connection_.SendBytes(Request.BuildHead(method, target_, protocolVersion_, cookie));
    connection_.CloseWriteBuffer();
  } catch (...) {
    connection_.CancelWriteBuffer();
    throw;
  }
  if (source && Request.ContentLength > 0) connection_.SendBytes(*source);
}

void THttpClient::ReadHead() {
  if (allowCookies_ && !cookies_) cookies_ = std::make_unique<TCookieStore>();
  const bool complete =
      ReadResponseHead(connection_, Response, cookies_.get(), TResponseOrigin{host_, path_});
  haveResponse_ = true;
  if (!complete) connection_.CloseConnection();
}

THttpClient::TDecision THttpClient::DecideOnResponse(THttpMethod method, TStream* target,
                                                     std::int64_t targetStart) {
  if (Response.IsRedirect()) {
    // A target with a control character would carry it into the next request line.
    if (!handleRedirects_ || HasControlCharacter(Response.Location)) FailWithStatus(method);
    // A redirect as the last answer the limit allows names no resource: a
    // failure, never an empty success.
    if (redirectCount_ >= redirectMaximum_) FailWithStatus(method);
    if (target) {
      target->Seek(targetStart);
      target->SetSize(targetStart);
    }
    DrainRedirectBody(method);
    return TDecision::FollowRedirect;
  }
  if (!Response.IsSuccess()) FailWithStatus(method);
  if (!connection_.IsOpen()) throw ENetException(kUndefinedSituationText);
  if (Response.StatusCode != 204 && target) ReadBody(*target);
  return TDecision::Done;
}

// A redirect's body is read and thrown away so that the connection can carry the
// next hop; nothing that goes wrong here matters. Answers to HEAD have no body.
void THttpClient::DrainRedirectBody(THttpMethod method) {
  if (method == THttpMethod::hmHead || !connection_.IsOpen()) return;
  TMemoryStream discarded(0);
  try {
    ReadBodyWithTimeout(discarded, redirectDrainTimeout_);
  } catch (const Exception&) {
    // The next hop decides on its own connection.
  }
}

void THttpClient::FailWithStatus(THttpMethod method) {
  TMemoryStream body(kMaxErrorTextLength);
  if (method != THttpMethod::hmHead) {
    try {
      ReadBodyWithTimeout(body, errorBodyTimeout_);
    } catch (const EConnClosedGracefully&) {
      // An error body cut short by the peer is still the error text.
    }
  }
  throw EHttpProtocolException(Response.StatusLine, Response.StatusCode, body.Bytes());
}

void THttpClient::ReadBodyWithTimeout(TStream& target, int timeoutMs) {
  TTimeoutOverride lowered(connection_, timeoutMs);
  ReadBody(target);
}

// The body rules: by length, chunked, until the close, or nothing (length 0).
void THttpClient::ReadBody(TStream& target) {
  if (Response.ContentLength > 0) {
    connection_.ReadToStream(target, Response.ContentLength);
  } else if (Response.IsChunked()) {
    ReadChunkedBody(connection_, target);
  } else if (!Response.HasContentLength()) {
    connection_.ReadToStreamUntilClose(target);
  }
}

bool THttpClient::KeepConnection() {
  if (!haveResponse_ || !connection_.IsOpen()) return false;
  if (protocolVersion_ == TProtocolVersion::pv1_1) {
    return !SameTextIgnoreCase(Response.Connection, "close") &&
           !SameTextIgnoreCase(Response.ProxyConnection, "close");
  }
  return SameTextIgnoreCase(Response.Connection, "keep-alive") ||
         SameTextIgnoreCase(Response.ProxyConnection, "keep-alive");
}

void THttpClient::EndOperation() {
  if (!KeepConnection()) connection_.CloseConnection();
}

}  // namespace bailan
