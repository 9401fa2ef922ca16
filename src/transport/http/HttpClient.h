#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Stream.h"
#include "transport/http/CookieStore.h"
#include "transport/http/HttpRequest.h"
#include "transport/http/HttpResponse.h"
#include "transport/http/NetExceptions.h"
#include "transport/http/TcpConnection.h"

namespace bailan {

// The HTTP/1.1 client over one TCP connection, plain or (scheme https) TLS
// with the system's trusted authorities and ExtraTrustedAuthorities(); no
// proxy, no compression. A redirect from https to http is refused. One object serves one operation on one
// thread: GetToStream, HeadRequest or PerformRequest. Failures raise the classes of NetExceptions.h (and
// EConvertError for numbers that do not convert).
class THttpClient {
 public:
  static constexpr int kDefaultRedirectMaximum =
      15;  // requests per operation; a redirect answering the last fails
  static constexpr int kRedirectDrainTimeoutMs =
      4000;                                         // read time-out while a redirect's body is thrown away
  static constexpr int kErrorBodyTimeoutMs = 2000;  // read time-out while an error body is read
  static constexpr std::size_t kMaxErrorTextLength = 65536;  // bytes of an error body kept as its error text

  // A fresh client with the defaults; it owns its connection, request, response
  // and cookie store. Used by the thread that created it only; destroying it
  // closes the connection.
  THttpClient() = default;
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  THttpRequest Request;
  THttpResponse Response;

  bool HandleRedirects() const { return handleRedirects_; }
  void SetHandleRedirects(bool value) { handleRedirects_ = value; }
  // Milliseconds one wait for incoming bytes (and the connect) may last; 0: no limit.
  int ReadTimeout() const { return readTimeout_; }
  void SetReadTimeout(int milliseconds) { readTimeout_ = milliseconds < 0 ? 0 : milliseconds; }
  int RedirectMaximum() const { return redirectMaximum_; }
  void SetRedirectMaximum(int value) { redirectMaximum_ = value; }
  TProtocolVersion ProtocolVersion() const { return protocolVersion_; }
  void SetProtocolVersion(TProtocolVersion value) { protocolVersion_ = value; }
  bool AllowCookies() const { return allowCookies_; }
  void SetAllowCookies(bool value) { allowCookies_ = value; }
  // The shorter read time-outs of a redirect's and an error's body; tests lower them.
  void SetRedirectDrainTimeout(int milliseconds) { redirectDrainTimeout_ = milliseconds; }
  void SetErrorBodyTimeout(int milliseconds) { errorBodyTimeout_ = milliseconds; }

  // Sees the status line and headers of every answer of an operation as soon as
  // they are read, each redirect hop included, on the calling thread; empty: none.
  // Tools that report on a server watch a redirect chain through it.
  using TResponseObserver = std::function<void(const THttpResponse&)>;
  void SetResponseObserver(TResponseObserver observer) { observer_ = std::move(observer); }

  // Requests of the current operation so far; 0 after an operation ended normally.
  int RedirectCount() const { return redirectCount_; }
  // The URL state of the last request.
  const std::string& Host() const { return host_; }
  const std::string& Port() const { return port_; }
  const std::string& Path() const { return path_; }
  // The keep-connection verdict of the last response.
  bool KeepConnection();
  // The cookies received so far; none before the first response.
  const TCookieStore* Cookies() const { return cookies_.get(); }
  TTcpConnection& Connection() { return connection_; }

  // GET of `url`; the body of the final 2xx answer is written into `target` from
  // its position at the call.
  void GetToStream(const std::string& url, TStream& target);
  // HEAD of `url`; Response.ContentLength is the size, -1 when none was given.
  void HeadRequest(const std::string& url);
  // The general operation. `source` is the body of a POST or PUT. Without a
  // target the body of the final 2xx answer stays on the connection for ReadExact and ReadSome.
  void PerformRequest(THttpMethod method, const std::string& url, const std::string* source, TStream* target);
  // Takes `count` body bytes off the connection (after PerformRequest without target).
  void ReadExact(void* buffer, std::int64_t count) { connection_.ReadExact(buffer, count); }
  // Takes between one and `count` body bytes off the connection, as
  // TTcpConnection::ReadSome; returns how many.
  std::size_t ReadSome(char* buffer, std::size_t count) { return connection_.ReadSome(buffer, count); }

 private:
  enum class TDecision { Done, FollowRedirect };

  void PrepareRequest(THttpMethod method, const std::string& url, const std::string* source, bool redirected);
  bool IsTls() const;
  void TakePort(const std::string& newPort, bool newHost);
  // Opens the connection for the next request unless a kept-alive one serves;
  // true when one is reused.
  bool ChooseConnection();
  void ExchangeHeads(THttpMethod method, const std::string* source);
  static bool IsLostConnection(const ENetException& error);
  void SendRequest(THttpMethod method, const std::string* source);
  void ReadHead();
  TDecision DecideOnResponse(THttpMethod method, TStream* target, std::int64_t targetStart);
  void DrainRedirectBody(THttpMethod method);
  [[noreturn]] void FailWithStatus(THttpMethod method);
  void ReadBody(TStream& target);
  void ReadBodyWithTimeout(TStream& target, int timeoutMs);
  void EndOperation();

  TTcpConnection connection_;
  std::unique_ptr<TCookieStore> cookies_;
  bool handleRedirects_ = false;
  int readTimeout_ = 0;
  int redirectMaximum_ = kDefaultRedirectMaximum;
  TProtocolVersion protocolVersion_ = TProtocolVersion::pv1_1;
  bool allowCookies_ = true;
  int redirectDrainTimeout_ = kRedirectDrainTimeoutMs;
  int errorBodyTimeout_ = kErrorBodyTimeoutMs;
  TResponseObserver observer_;
  int redirectCount_ = 0;
  bool haveResponse_ = false;
  // The URL state: where the next relative URL is resolved against.
  std::string scheme_;
  std::string host_;
  std::string port_;
  std::string path_;
  std::string document_;
  std::string params_;
  std::string target_;
};

}  // namespace bailan
