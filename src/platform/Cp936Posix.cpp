// CP936 conversions through iconv (glibc's "CP936" table).
#include <iconv.h>

#include <cerrno>

#include "platform/Cp936.h"

namespace bailan {
namespace {

// One iconv descriptor, opened per conversion: descriptors carry shift state and
// are not safe to share between threads.
class TIconv {
 public:
  TIconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~TIconv() {
    if (Valid()) iconv_close(cd_);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of [in, in + inLeft) as possible into `out`; returns false
  // at an invalid or unconvertible sequence, leaving `in` at its start.
  bool Convert(const char*& in, std::size_t& inLeft, std::string& out) {
    char buffer[1024];
    while (inLeft > 0) {
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      char* src = const_cast<char*>(in);
      std::size_t rc = iconv(cd_, &src, &inLeft, &dst, &dstLeft);
      in = src;
      out.append(buffer, dst - buffer);
      if (rc == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t cd_;
};

// Converts `text`, replacing each unconvertible input character (of length given
// by `charLength`) with `replacement` (already in the target encoding).
template <typename CharLength>
std::string ConvertWithReplacement(const char* to, const char* from, std::string_view text,
                                   std::string_view replacement, CharLength charLength) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  TIconv cd(to, from);
  if (!cd.Valid()) return std::string(text);
  const char* in = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    if (cd.Convert(in, left, out)) break;
    std::size_t skip = charLength(std::string_view(in, left));
    out.append(replacement);
    in += skip;
    left -= skip;
  }
  return out;
}

// Bytes below 0x80 are ASCII in CP936 and in UTF-8 alike: such a text (every
// path of an archive made with plain names) needs no descriptor.
bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string Cp936ToUtf8(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  return ConvertWithReplacement("UTF-8", "CP936", text, "\xEF\xBF\xBD",
                                [](std::string_view s) { return Cp936CharLength(s, 0); });
}

std::u16string Cp936ToUtf16(std::string_view text) {
  std::string bytes = ConvertWithReplacement("UTF-16LE", "CP936", text, std::string_view("\xFD\xFF", 2),
                                             [](std::string_view s) { return Cp936CharLength(s, 0); });
  std::u16string out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return out;
}

std::string Utf8ToCp936(std::string_view text, char replacement) {
  if (IsAscii(text)) return std::string(text);
  return ConvertWithReplacement("CP936", "UTF-8", text, std::string_view(&replacement, 1),
                                Utf8SequenceLength);
}

}  // namespace bailan
