#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/Cp936.h"

namespace bailan {

// The system's CP936 text at a widget's edge: decoded for display, and a widget's
// text encoded back (a character CP936 cannot hold becomes "_").
inline QString FromCp936(std::string_view text) {
  return QString::fromStdU16String(Cp936ToUtf16(text));
}

inline std::string ToCp936(const QString& text) {
  return Utf8ToCp936(text.toStdString());
}

}  // namespace bailan
