#include "qt/installer/Fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

#include "qt/installer/QtText.h"

namespace bailan {
namespace {

// Faces with short lines, as SimSun's 12-pixel bitmaps are: SimSun itself where
// it is installed under its Latin name, then the bitmap strikes of WenQuanYi and
// the Ming face, whose lines are as high as their size.
const char* const kCompactFaces[] = {"SimSun", "NSimSun", "WenQuanYi Zen Hei Sharp", "AR PL UMing CN"};
constexpr int kSmallestPixelSize = 6;  // below this the text could not be read anyway

bool LinesFit(const QFont& font, int height) {
  return QFontMetrics(font).height() <= height;
}

}  // namespace

void InstallFontSubstitutions() {
  // A Song (Ming) face first for "宋体", a sans face first for "黑体"; each falls
  // back to the other kind so that CJK text never shows as boxes.
  QFont::insertSubstitutions(Ui("宋体"), {"AR PL UMing CN", "AR PL SungtiL GB", "Noto Serif CJK SC",
                                          "Noto Sans CJK SC", "WenQuanYi Zen Hei"});
  QFont::insertSubstitutions(Ui("黑体"), {"Noto Sans CJK SC", "WenQuanYi Zen Hei", "Source Han Sans SC",
                                          "Noto Serif CJK SC", "AR PL UMing CN"});
}

QFont FitFontToHeight(const QFont& font, int height) {
  if (LinesFit(font, height)) return font;
  for (const char* face : kCompactFaces) {
    if (!QFontDatabase::hasFamily(QString::fromLatin1(face))) continue;
    QFont candidate(font);
    candidate.setFamilies({QString::fromLatin1(face)});
    if (LinesFit(candidate, height)) return candidate;
  }
  QFont smaller(font);
  while (smaller.pixelSize() > kSmallestPixelSize && !LinesFit(smaller, height))
    smaller.setPixelSize(smaller.pixelSize() - 1);
  return smaller;
}

}  // namespace bailan
