#include "qt/installer/Fonts.h"

#include <QFont>
#include <QStringList>

#include "qt/installer/QtText.h"

namespace bailan {

void InstallFontSubstitutions() {
  // A Song (Ming) face first for "宋体", a sans face first for "黑体"; each falls
  // back to the other kind so that CJK text never shows as boxes.
  QFont::insertSubstitutions(Ui("宋体"), {"AR PL UMing CN", "AR PL SungtiL GB", "Noto Serif CJK SC",
                                          "Noto Sans CJK SC", "WenQuanYi Zen Hei"});
  QFont::insertSubstitutions(Ui("黑体"), {"Noto Sans CJK SC", "WenQuanYi Zen Hei", "Source Han Sans SC",
                                          "Noto Serif CJK SC", "AR PL UMing CN"});
}

}  // namespace bailan
