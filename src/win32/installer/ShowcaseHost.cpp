#include "win32/installer/ShowcaseHost.h"

namespace bailan {

std::unique_ptr<TShowcaseHost> TShowcaseHost::Create(HWND, RECT, TDocumentComplete) {
  return nullptr;  // the browser host follows; until then the banner stays
}

}  // namespace bailan
