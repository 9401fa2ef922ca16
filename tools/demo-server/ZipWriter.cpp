#include "ZipWriter.h"

#include <zlib.h>

#include <stdexcept>

namespace bailan::demo {
namespace {

constexpr std::uint16_t kVersionMadeByUnix = (3 << 8) | 30;  // host 3 (Unix), spec 3.0
constexpr std::uint16_t kVersionNeeded = 20;                 // deflate
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
constexpr std::uint16_t kDosTime = 12 << 11;                             // 12:00:00
constexpr std::uint16_t kDosDate = ((2025 - 1980) << 9) | (1 << 5) | 1;  // 2025-01-01
constexpr std::uint32_t kRegularFileType = 0100000;                      // S_IFREG
constexpr std::size_t kZlibHeaderBytes = 2;                              // before the raw deflate stream
constexpr std::size_t kZlibTrailerBytes = 4;                             // Adler-32 after it

// Little-endian fields appended to a byte string.
class TLittleEndian {
 public:
  // Appends to `out`, which the caller owns and keeps alive while this object is used.
  explicit TLittleEndian(std::string& out) : out_(out) {}
  TLittleEndian& U16(std::uint32_t v) {
    out_ += static_cast<char>(v & 0xFF);
    out_ += static_cast<char>((v >> 8) & 0xFF);
    return *this;
  }
  TLittleEndian& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  TLittleEndian& Bytes(const std::string& bytes) {
    out_ += bytes;
    return *this;
  }

 private:
  std::string& out_;
};

// zlib's one-call compressor wraps the deflate stream in a two-byte header and
// an Adler-32 trailer; a ZIP entry holds the bare stream between them.
std::string RawDeflateOf(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string packed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("zlib could not compress a demo file");
  return packed.substr(kZlibHeaderBytes, size - kZlibHeaderBytes - kZlibTrailerBytes);
}

}  // namespace

std::string BuildUnixZip(const std::vector<TZipInput>& files) {
  std::string archive, directory;
  for (const TZipInput& file : files) {
    const bool deflate = file.Compress && !file.Data.empty();
    const std::string payload = deflate ? RawDeflateOf(file.Data) : file.Data;
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(file.Data.data()), static_cast<uInt>(file.Data.size())));
    std::string common;  // from "version needed" to "extra field length", in both headers
    TLittleEndian(common)
        .U16(kVersionNeeded)
        .U16(0)
        .U16(deflate ? kMethodDeflated : kMethodStored)
        .U16(kDosTime)
        .U16(kDosDate)
        .U32(crc)
        .U32(static_cast<std::uint32_t>(payload.size()))
        .U32(static_cast<std::uint32_t>(file.Data.size()))
        .U16(static_cast<std::uint32_t>(file.Name.size()))
        .U16(0);
    const auto localOffset = static_cast<std::uint32_t>(archive.size());
    TLittleEndian(archive).U32(0x04034b50).Bytes(common).Bytes(file.Name).Bytes(payload);
    TLittleEndian(directory)
        .U32(0x02014b50)
        .U16(kVersionMadeByUnix)
        .Bytes(common)
        .U16(0)  // comment length
        .U16(0)  // disk number
        .U16(0)  // internal attributes
        .U32((kRegularFileType | (file.Mode & 07777)) << 16)
        .U32(localOffset)
        .Bytes(file.Name);
  }
  const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
  const auto count = static_cast<std::uint32_t>(files.size());
  archive += directory;
  TLittleEndian(archive)
      .U32(0x06054b50)
      .U16(0)
      .U16(0)
      .U16(count)
      .U16(count)
      .U32(static_cast<std::uint32_t>(directory.size()))
      .U32(directoryOffset)
      .U16(0);
  return archive;
}

}  // namespace bailan::demo
