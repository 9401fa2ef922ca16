#pragma once

#include <QFont>

namespace bailan {

// Maps the window fonts' family names "宋体" and "黑体", which fontconfig does not
// know on Linux, to installed CJK faces. Called once at start-up, after the
// application object exists; nothing else knows about the mapping.
void InstallFontSubstitutions();

// `font` itself when its lines fit in `height` pixels, as 12-pixel "宋体" fits the
// fields designed for it; otherwise the same size in the first installed face
// whose lines fit, and failing that `font` at the largest pixel size that fits.
QFont FitFontToHeight(const QFont& font, int height);

}  // namespace bailan
