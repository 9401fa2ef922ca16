#include "DemoProduct.h"

#include "platform/Cp936.h"
#include "platform/Sha256.h"

namespace bailan::demo {
namespace {

constexpr std::uint32_t kProgramMode = 0755;
constexpr std::uint64_t kDataSeed = 0x9E3779B97F4A7C15ull;  // any fixed seed: the data must not change
constexpr char kTamperMask = 0x5A;                          // any non-zero mask changes the byte

// Bytes that do not compress, the same on every run (xorshift64).
std::string PseudoRandomBytes(std::size_t count) {
  std::string bytes(count, '\0');
  std::uint64_t state = kDataSeed;
  for (std::size_t i = 0; i < count; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    bytes[i] = static_cast<char>(state >> 56);
  }
  return bytes;
}

TZipInput Text(const char* utf8Name, const char* utf8Text) {
  return {Utf8ToCp936(utf8Name), Utf8ToCp936(utf8Text)};
}

}  // namespace

std::string ShellProgramStandIn() {
  return std::string(
             "#!/bin/sh\n"
             "# Stands in for the product's program in the demo: records that it was\n"
             "# started and in which folder, beside itself.\n"
             "echo \"") +
         kLaunchProofText + "$(pwd)\" >> \"$(dirname \"$0\")/" + kLaunchProofName + "\"\n";
}

std::vector<TDemoArchive> DemoArchives(std::size_t bigFileBytes, const std::string& program) {
  TDemoArchive main{"BLMain.zip",
                    {{"BL.exe", program, kProgramMode},
                     Text("readme.txt", "柏岚销售记账打印软件（演示版）\r\n双击 BL.exe 启动。\r\n"),
                     Text("config/settings.ini", "[打印]\r\n纸张=A4\r\n份数=2\r\n")}};
  TDemoArchive data{"BLData.zip", {{"data/catalog.dat", PseudoRandomBytes(bigFileBytes), 0644, false}}};
  TDemoArchive help{"BLHelp.zip",
                    {Text("help/使用说明.txt", "一、开单\r\n二、记账\r\n三、打印\r\n"),
                     Text("help/index.html", "<html><body><h1>帮助</h1></body></html>\n")}};
  return {main, data, help};
}

std::string DemoManifest(const std::vector<TServedArchive>& archives, const std::string& archiveBaseUrl) {
  std::string text = "; 柏岚销售记账打印软件 演示清单\r\n";
  for (std::size_t i = 0; i < archives.size(); ++i) {
    text += i == 0 ? "[bailan]\r\n" : "[file" + std::to_string(i) + "]\r\n";
    text += "url=" + archiveBaseUrl + archives[i].FileName + "\r\n";
    text += "sha256=" + DigestToHex(TSha256::Of(archives[i].Bytes)) + "\r\n";
  }
  return Utf8ToCp936(text);
}

void TamperArchive(TServedArchive& archive) {
  // One byte in the middle: the length and the framing of the answer stay, as
  // when a meddler on the way swaps content.
  if (archive.Bytes.empty()) return;
  archive.Bytes[archive.Bytes.size() / 2] ^= kTamperMask;
}

std::string DemoShowcasePage() {
  return R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>柏岚销售记账打印软件</title>
<style>
body { margin: 0; font-family: "Noto Sans CJK SC", "WenQuanYi Zen Hei", sans-serif; color: #fff;
       background: linear-gradient(135deg, #2896d6, #126698); height: 100vh; overflow: hidden; }
.wrap { display: flex; height: 100%; align-items: center; padding: 0 32px; box-sizing: border-box; }
h1 { font-size: 24px; margin: 0 0 10px; }
ul { margin: 0; padding-left: 18px; line-height: 1.9; font-size: 14px; }
.tag { display: inline-block; background: rgba(255,255,255,.9); color: #126698; border-radius: 12px;
       padding: 2px 12px; font-size: 13px; margin-top: 10px; }
</style></head>
<body><div class="wrap"><div>
<h1>柏岚销售记账打印软件</h1>
<ul><li>开单、记账、打印，一步到位</li><li>送货单、收据模板随心选</li><li>数据本地保存，安全可靠</li></ul>
<span class="tag">正在为您安装，请稍候</span>
</div></div>
<!--end-->
</body></html>
)";
}

std::string DemoLicencePage() {
  return R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>许可协议</title></head>
<body style="font-family: sans-serif; max-width: 40em; margin: 2em auto;">
<h1>柏岚软件许可协议（演示）</h1>
<p>本页面由演示服务器提供，仅用于展示安装程序的许可协议链接。</p>
</body></html>
)";
}

}  // namespace bailan::demo
