#include "win32/installer/ShowcaseMarker.h"

namespace bailan {

bool ShowcaseMarkerSeen(std::string_view bodyCp936) {
  return bodyCp936.find("<!--end-->") != std::string_view::npos;
}

}  // namespace bailan
