#pragma once

#include <string>
#include <string_view>

namespace bailan {

// The DER bytes inside the one PEM block labelled `label` ("PUBLIC KEY"): the
// "-----BEGIN label-----" line, base64 lines, the "-----END label-----" line,
// with nothing but line breaks around them. Anything else (another label, a
// second block, a character outside base64, padding in the middle, bytes after
// the end line) raises ESignatureError naming what is wrong.
std::string DecodePem(std::string_view pem, std::string_view label);

}  // namespace bailan
