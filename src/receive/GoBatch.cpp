#include "receive/GoBatch.h"

#include "platform/Cp936.h"
#include "platform/File.h"

namespace bailan {
namespace {

// The folder as one argument of a batch line: in double quotes, so that "&",
// "^", "(" and ")" in a folder name are plain characters to cmd.exe, and with
// every "%" doubled, which cmd.exe expands even inside quotes. A folder name
// cannot hold a double quote, and no CP936 trail byte is a quote or a "%"; the
// scan steps over double-byte characters all the same.
std::string QuotedBatchArgument(const std::string& folder) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < folder.size();) {
    const std::size_t length = Cp936CharLength(folder, i);
    if (length == 1 && folder[i] == '%') quoted += '%';
    quoted.append(folder, i, length);
    i += length;
  }
  return quoted + "\"";
}

}  // namespace

std::string GoBatchText(const std::string& installPath, const std::string& productName) {
  return "@echo off\r\ncd /d " + QuotedBatchArgument(installPath + "\\" + productName) +
         "\r\nBL.exe\r\ndel %0\r\n";
}

void WriteGoBatch(const std::string& path, const std::string& text) {
  TFile file = TFile::Create(path, TShareMode::Exclusive);
  file.Write(text.data(), text.size());
}

}  // namespace bailan
