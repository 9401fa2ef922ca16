#pragma once

#include <string>
#include <string_view>

namespace bailan {

// The installer's texts are CP936 bytes inside; Windows gets them as UTF-16
// through the wide calls, converted here with code page 936 named, so that they
// read right whatever the machine's own ANSI code page is.
constexpr unsigned kTextCodePage = 936;

// CP936 to UTF-16. A byte that is no CP936 character becomes U+FFFD.
std::wstring Wide(std::string_view cp936);

// UTF-16 to CP936. A character that CP936 cannot hold becomes '?'.
std::string Narrow(std::wstring_view text);

}  // namespace bailan
