#pragma once

#include <string>

#include "transport/http/SspiApiWin32.h"

namespace bailan {

// Decides whether a TLS server's certificate is accepted: its chain must end at
// an authority of the system's root store, or at one of the extra authorities
// (a PEM file), and the SSL policy must accept it for the host name (in time,
// meant for servers, naming the host). Schannel is told to leave this check to
// us, so that it is the same on Windows and under Wine, which does none of its
// own in the handshake. An extra authority is trusted by finding it at the top
// of the system engine's chain rather than through an engine of its own: Wine's
// chain engines take no exclusive root store.
class TTlsTrust {
 public:
  // Loads the certificates of `extraCaFile` (CP936 path; empty: none) into a
  // store of its own. Raises ETlsError when the
  // file cannot be read or holds no certificate. Owns the store;
  // any thread may create it, one thread at a time may use it.
  explicit TTlsTrust(const std::string& extraCaFile);

  // Raises ETlsError with the reason in one line when `certificate` (whose
  // store holds the intermediates the server sent) is not accepted for `host`.
  void Check(const CERT_CONTEXT* certificate, const std::string& host) const;

 private:
  TCertStorePtr extraStore_;
};

}  // namespace bailan
