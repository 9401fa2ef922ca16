#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace bailan {

// What a client TLS session is asked to check.
struct TTlsSettings {
  std::string HostName;     // sent as SNI and matched against the certificate
  std::string ExtraCaFile;  // PEM file of authorities trusted beside the system's store; empty: none
};

// The client side of one TLS session (1.2 or later) as a byte transformer that
// does no I/O of its own. TTcpConnection moves the bytes between it and the
// socket with its own waits, time-outs, cancelling and anti-freeze, so that all
// of those work over TLS exactly as over plain TCP.
//
// Every call appends the bytes that must go out on the socket (handshake
// records, encrypted data, alerts) to `out`; the caller sends them before it
// waits for the peer again. Failures raise ETlsError with the reason in one
// line. Owned by its connection; used by one thread at a time.
class TTlsEngine {
 public:
  virtual ~TTlsEngine() = default;

  // Begins the handshake: the ClientHello goes to `out`.
  virtual void StartHandshake(std::string& out) = 0;
  // True once the handshake finished and the peer's certificate was accepted.
  virtual bool HandshakeDone() const = 0;
  // Takes all of `in`, received from the socket; advances the handshake while
  // it runs. Decrypted application data waits inside for ReadPlain.
  virtual void Feed(std::string_view in, std::string& out) = 0;
  // Moves up to `room` bytes of decrypted application data into `dest`;
  // returns how many (0: none complete yet, more input is needed).
  virtual std::size_t ReadPlain(char* dest, std::size_t room, std::string& out) = 0;
  // Encrypts `plain` into `out`.
  virtual void Encrypt(std::string_view plain, std::string& out) = 0;
  // True once the peer's close_notify arrived (and all data before it was read).
  virtual bool PeerClosed() const = 0;
  // Our close_notify into `out`.
  virtual void Shutdown(std::string& out) = 0;
};

// The platform's engine: libssl on Linux, Schannel (SSPI) on Windows. Trusts the
// system's store (and settings.ExtraCaFile), checks the host name, refuses
// anything older than TLS 1.2.
std::unique_ptr<TTlsEngine> CreateTlsEngine(const TTlsSettings& settings);

}  // namespace bailan
