#include "qt/receive/DesktopShell.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

#include "qt/installer/QtText.h"

namespace bailan {
namespace {

TShellOpener& Opener() {
  static TShellOpener opener;  // GUI thread only
  return opener;
}

}  // namespace

void ShellOpen(const std::string& path) {
  if (Opener()) {
    Opener()(path);
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(path)));
}

TShellOpener SetShellOpener(TShellOpener opener) {
  return std::exchange(Opener(), std::move(opener));
}

}  // namespace bailan
