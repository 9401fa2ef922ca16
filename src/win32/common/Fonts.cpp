#include "win32/common/Fonts.h"

#include <stdexcept>

#include "win32/common/WideText.h"

namespace bailan {

TFont CreateUiFont(std::string_view faceCp936, int pixels, bool bold, TPitch pitch) {
  const std::wstring face = Wide(faceCp936);
  // A negative height asks for the character height (the em), as the design's
  // pixel sizes mean.
  TFont font(CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         (pitch == TPitch::Fixed ? FIXED_PITCH : VARIABLE_PITCH) | FF_DONTCARE,
                         face.c_str()));
  if (!font) throw std::runtime_error("CreateFontW failed");
  return font;
}

}  // namespace bailan
