#include "receive/GlobalTexts.h"

#include "platform/Cp936.h"
#include "receive/GlobalTextsConfig.h"

namespace bailan {

const std::string& TitleText() {
  return Cp(BAILAN_TITLE_TEXT_UTF8);
}
const std::string& ProductName() {
  return Cp(BAILAN_PRODUCT_NAME_UTF8);
}
const std::string& ManifestURL() {
  return Cp(BAILAN_MANIFEST_URL_UTF8);
}
const std::string& ShowcaseURL() {
  return Cp(BAILAN_SHOWCASE_URL_UTF8);
}
const std::string& LicenseURL() {
  return Cp(BAILAN_LICENSE_URL_UTF8);
}
const std::string& WarningText() {
  return Cp(BAILAN_WARNING_TEXT_UTF8);
}

}  // namespace bailan
