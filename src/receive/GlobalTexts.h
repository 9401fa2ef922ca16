#pragma once

#include <string>

namespace bailan {

// The six texts that make one build of the installer install one product, fixed
// at build time (CMake cache variables BAILAN_*). CP936; read-only while running.
const std::string& TitleText();
const std::string& ProductName();
const std::string& ManifestURL();
const std::string& ShowcaseURL();
const std::string& LicenseURL();
const std::string& WarningText();

}  // namespace bailan
