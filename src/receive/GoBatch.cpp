#include "receive/GoBatch.h"

#include "platform/File.h"

namespace bailan {

std::string GoBatchText(const std::string& installPath, const std::string& productName) {
  return "@echo off\r\ncd /d " + installPath + "\\" + productName + "\r\nBL.exe\r\ndel %0\r\n";
}

void WriteGoBatch(const std::string& path, const std::string& text) {
  TFile file = TFile::Create(path, TShareMode::Exclusive);
  file.Write(text.data(), text.size());
}

}  // namespace bailan
