#pragma once

#include <string_view>

#include "win32/common/Handles.h"

namespace bailan {

enum class TPitch { Fixed, Variable };

// A font by its CP936 face name ("宋体", "黑体") and character height in pixels,
// for the Chinese character set, so that a machine without the face still picks
// one that holds the characters.
TFont CreateUiFont(std::string_view faceCp936, int pixels, bool bold = false, TPitch pitch = TPitch::Fixed);

}  // namespace bailan
