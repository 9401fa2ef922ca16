#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bailan::cli {

constexpr std::size_t kMaxPublicKeyFileSize = 4096;  // a P-256 public key's PEM is under 200 bytes

// The whole of the file at `path` (CP936); EInOutError when it holds more than
// `limit` bytes, EFOpenError when it cannot be opened.
std::string ReadWholeFile(const std::string& path, std::size_t limit);

// How a written file may be read and whether it takes the place of one.
struct TWriteMode {
  bool Replace = false;  // replace a file of that name (else EFCreateError when one exists)
  bool Secret = false;   // readable by this user alone (a private key); else by all, as the umask lets
};

// Writes `bytes` into a private new file beside `path` and gives it the name
// `path` once it is whole. Nothing is left behind on a failure.
void WriteWholeFile(const std::string& path, std::string_view bytes, TWriteMode mode);

}  // namespace bailan::cli
