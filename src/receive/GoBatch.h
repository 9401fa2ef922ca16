#pragma once

#include <string>

namespace bailan {

// The launcher batch file of a finished installation: four lines, each ended by
// CR LF, CP936 as given, no byte-order mark. It changes to the product folder
// (installPath + "\" + productName, quoted and with "%" doubled, so that no
// character of a folder name reaches cmd.exe as syntax), starts BL.exe and
// deletes itself.
std::string GoBatchText(const std::string& installPath, const std::string& productName);

// Writes `text` as the file at `path`, replacing any file of that name; raises
// EFCreateError (or EInOutError) when it cannot.
void WriteGoBatch(const std::string& path, const std::string& text);

}  // namespace bailan
