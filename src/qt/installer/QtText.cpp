#include "qt/installer/QtText.h"

#include <QStringDecoder>

#include "platform/Cp936.h"

namespace bailan {

QString ToQString(std::string_view cp936) {
  QStringDecoder decoder("GB18030");
  return decoder.decode(QByteArrayView(cp936.data(), static_cast<qsizetype>(cp936.size())));
}

std::string FromQString(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return Utf8ToCp936(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

}  // namespace bailan
