#pragma once

namespace bailan {

// Maps the window fonts' family names "宋体" and "黑体", which fontconfig does not
// know on Linux, to installed CJK faces. Called once at start-up, after the
// application object exists; nothing else knows about the mapping.
void InstallFontSubstitutions();

}  // namespace bailan
