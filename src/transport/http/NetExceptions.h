#pragma once

#include <string>

#include "platform/Exception.h"

namespace bailan {

// Failures of the TCP connection and the HTTP client. Each carries its message
// text exactly as the system reports it.
BAILAN_DECLARE_EXCEPTION(ENetException, Exception);
BAILAN_DECLARE_EXCEPTION(EReadTimeout, ENetException);                  // "Read Timeout"
BAILAN_DECLARE_EXCEPTION(EConnectTimeout, ENetException);               // "Connect timed out."
BAILAN_DECLARE_EXCEPTION(EConnClosedGracefully, ENetException);         // "Connection Closed Gracefully."
BAILAN_DECLARE_EXCEPTION(ENotConnected, ENetException);                 // "Not Connected"
BAILAN_DECLARE_EXCEPTION(EAlreadyConnected, ENetException);             // "Already connected."
BAILAN_DECLARE_EXCEPTION(EReadLnMaxLineLengthExceeded, ENetException);  // "Max line length exceeded."
BAILAN_DECLARE_EXCEPTION(EIOHandlerPropInvalid, ENetException);         // "IOHandler value is not valid"
BAILAN_DECLARE_EXCEPTION(EUnknownProtocol, ENetException);              // empty message
// A TLS failure (handshake, certificate, host name, a damaged record, a close
// without close_notify, a redirect from https to http): the message gives the
// reason as the TLS library or the peer put it, in one line.
BAILAN_DECLARE_EXCEPTION(ETlsError, ENetException);

// The message texts, shared by the code that raises them and the tests.
inline constexpr const char* kReadTimeoutText = "Read Timeout";
inline constexpr const char* kConnectTimeoutText = "Connect timed out.";
inline constexpr const char* kConnClosedGracefullyText = "Connection Closed Gracefully.";
inline constexpr const char* kNotConnectedText = "Not Connected";
inline constexpr const char* kAlreadyConnectedText = "Already connected.";
inline constexpr const char* kMaxLineLengthExceededText = "Max line length exceeded.";
inline constexpr const char* kTooManyHeaderLinesText = "Too many header lines.";
inline constexpr const char* kResponseHeadTooLongText = "Response head too long.";
inline constexpr const char* kIOHandlerPropInvalidText = "IOHandler value is not valid";
inline constexpr const char* kUndefinedSituationText = "Undefined situation";
inline constexpr const char* kRequestMethodNeeds11Text = "This request method is supported in HTTP 1.1";
inline constexpr const char* kClosedWithoutCloseNotifyText = "connection closed without close_notify";
inline constexpr const char* kClosedInHandshakeText = "connection closed during the TLS handshake";
inline constexpr const char* kRedirectToPlainText = "redirect from https to plain http refused";

// A socket failure: the Windows Sockets error number and the message
// "Socket Error # <number>\r\n<text>".
class ESocketError : public ENetException {
 public:
  explicit ESocketError(int error);
  ESocketError(int error, std::string message) : ENetException(std::move(message)), error_(error) {}
  const char* ClassName() const noexcept override { return "ESocketError"; }
  int LastError() const noexcept { return error_; }

 private:
  int error_;
};

// A connect that the peer refused or that failed otherwise; same message form.
class EConnectException : public ESocketError {
 public:
  using ESocketError::ESocketError;
  const char* ClassName() const noexcept override { return "EConnectException"; }
};

// A status outside 2xx: the message is the status line, ErrorCode() the status
// code and ErrorText() the body of the answer.
class EHttpProtocolException : public ENetException {
 public:
  EHttpProtocolException(std::string statusLine, int code, std::string errorText)
      : ENetException(std::move(statusLine)), code_(code), errorText_(std::move(errorText)) {}
  const char* ClassName() const noexcept override { return "EHttpProtocolException"; }
  int ErrorCode() const noexcept { return code_; }
  const std::string& ErrorText() const noexcept { return errorText_; }

 private:
  int code_;
  std::string errorText_;
};

// "'<text>' is not a valid integer value" for a number that does not convert.
[[noreturn]] void RaiseNotAnInteger(const std::string& text);

}  // namespace bailan
