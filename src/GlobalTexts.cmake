# The six global texts are fixed when the
# program is built: one build installs one product. They are UTF-8 here and
# become CP936 inside the program; as a cache entry holds one line, a text writes
# its line breaks as the C escapes \n and \r (and a backslash as \\).
set(BAILAN_TITLE_TEXT "欢迎使用" CACHE STRING "Title shown on the installer window")
set(BAILAN_PRODUCT_NAME "柏岚销售记账打印软件" CACHE STRING "Product name; also the sub-folder it is installed into")
set(BAILAN_WARNING_TEXT
    [[软件安装过程会使用到网络，请在安全软件提示是否连接网络时全部\n\r\n\r点允许并勾选不再提示等选项，或者暂时将安全软件退出或暂停。]]
    CACHE STRING "Text of the start-up warning box (\\n, \\r: line feed, carriage return)")
set(BAILAN_SERVER_URL "http://127.0.0.1:18931" CACHE STRING "The maker's server, http://HOST[:PORT]")
set(BAILAN_MANIFEST_URL "" CACHE STRING "Manifest address; empty: BAILAN_SERVER_URL/install/Tavro/Live.txt")
set(BAILAN_SHOWCASE_URL "" CACHE STRING "Showcase page; empty: BAILAN_SERVER_URL/install/VADav/index.html")
set(BAILAN_LICENSE_URL "" CACHE STRING "Licence page; empty: BAILAN_SERVER_URL/xukexieyi.html")

set(_manifest_url "${BAILAN_MANIFEST_URL}")
if(_manifest_url STREQUAL "")
  set(_manifest_url "${BAILAN_SERVER_URL}/install/Tavro/Live.txt")
endif()
set(_showcase_url "${BAILAN_SHOWCASE_URL}")
if(_showcase_url STREQUAL "")
  set(_showcase_url "${BAILAN_SERVER_URL}/install/VADav/index.html")
endif()
set(_license_url "${BAILAN_LICENSE_URL}")
if(_license_url STREQUAL "")
  set(_license_url "${BAILAN_SERVER_URL}/xukexieyi.html")
endif()

# A global text as the body of a C string literal: its escapes stay as they are,
# quotation marks are escaped.
function(bailan_c_literal out text)
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
bailan_c_literal(BAILAN_TITLE_TEXT_C "${BAILAN_TITLE_TEXT}")
bailan_c_literal(BAILAN_PRODUCT_NAME_C "${BAILAN_PRODUCT_NAME}")
bailan_c_literal(BAILAN_WARNING_TEXT_C "${BAILAN_WARNING_TEXT}")
bailan_c_literal(BAILAN_MANIFEST_URL_C "${_manifest_url}")
bailan_c_literal(BAILAN_SHOWCASE_URL_C "${_showcase_url}")
bailan_c_literal(BAILAN_LICENSE_URL_C "${_license_url}")
configure_file(receive/GlobalTextsConfig.h.in ${CMAKE_CURRENT_BINARY_DIR}/generated/receive/GlobalTextsConfig.h @ONLY)

