#pragma once

#include <string_view>

namespace bailan {

// The showcase page is complete when its body (CP936) holds "<!--end-->"
// anywhere, case-sensitive.
bool ShowcaseMarkerSeen(std::string_view bodyCp936);

}  // namespace bailan
