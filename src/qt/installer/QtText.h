#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace bailan {

// The one place where the system's CP936 text meets Qt's strings: at the edge of
// a widget. GB18030 decodes every CP936 byte sequence.
QString ToQString(std::string_view cp936);
std::string FromQString(const QString& text);
// A UTF-8 source literal for display (the literals of the windows are UTF-8).
inline QString Ui(const char* utf8) {
  return QString::fromUtf8(utf8);
}

}  // namespace bailan
