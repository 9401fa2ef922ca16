#include "qt/receive/DesktopShell.h"

#include <QDesktopServices>
#include <utility>

#include "platform/HostPath.h"

namespace bailan {
namespace {

TShellOpener& Opener() {
  static TShellOpener opener;  // GUI thread only
  return opener;
}

// The host's spelling as text: UTF-8 on Linux, UTF-16 on Windows (THostPath
// picks the overload, and each is exact).
[[maybe_unused]] QString FromHostSpelling(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
[[maybe_unused]] QString FromHostSpelling(const std::wstring& utf16) {
  return QString::fromStdWString(utf16);
}

}  // namespace

QString HostPathText(const std::string& path) {
  return FromHostSpelling(ToHostPath(path));
}

void ShellOpen(const std::string& path) {
  const QUrl url = QUrl::fromLocalFile(HostPathText(path));
  if (Opener()) {
    Opener()(url);
    return;
  }
  QDesktopServices::openUrl(url);
}

TShellOpener SetShellOpener(TShellOpener opener) {
  return std::exchange(Opener(), std::move(opener));
}

}  // namespace bailan
