#include "qt/installer/Application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "qt/installer/Fonts.h"
#include "qt/installer/QtText.h"

namespace bailan {
namespace {

// Qt's own texts (the folder browser, the edit menu) in Chinese; Debian's
// qt6-translations-l10n installs them beside Qt, a Windows deployment beside
// the program.
const char* const kQtTranslation = "qtbase_zh_CN";

void InstallQtTranslation(QApplication& app) {
  auto* translator = new QTranslator(&app);
  for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                QApplication::applicationDirPath() + QStringLiteral("/translations")}) {
    if (translator->load(QString::fromLatin1(kQtTranslation), folder)) {
      QApplication::installTranslator(translator);
      return;
    }
  }
  delete translator;  // not installed: the message boxes name their buttons themselves
}

}  // namespace

void SetupApplication(QApplication& app) {
  // Not setApplicationDisplayName: the platform appends a display name, once
  // set, to every caption that does not already end with it ("警告 — 柏岚软件").
  QApplication::setApplicationName(Ui("柏岚软件"));
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  InstallQtTranslation(app);
  InstallFontSubstitutions();
}

}  // namespace bailan
