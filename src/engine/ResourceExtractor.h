#pragma once

#include <string>

namespace bailan {

// Unpacks a received resource, treated as a ZIP archive, into `folder`: every
// entry, folders recreated, time stamps and attributes kept, existing files
// overwritten. Raises the extractor's failure.
void ExtractResource(const std::string& archivePath, const std::string& folder);

}  // namespace bailan
