#include "KeyFiles.h"

#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"

namespace bailan::cli {
namespace {

constexpr std::size_t kReadBlockSize = 65536;  // the files read are small; one block mostly

}  // namespace

std::string ReadWholeFile(const std::string& path, std::size_t limit) {
  TFile file = TFile::Open(path, TAccess::Read, TShareMode::DenyWrite);
  std::string bytes;
  char block[kReadBlockSize];
  for (std::size_t count; (count = file.Read(block, sizeof block)) > 0;) {
    if (bytes.size() + count > limit) {
      throw EInOutError(Format("\"%s\" is longer than %lld bytes", path, static_cast<long long>(limit)));
    }
    bytes.append(block, count);
  }
  return bytes;
}

void WriteWholeFile(const std::string& path, std::string_view bytes, TWriteMode mode) {
  TFile file = TFile::CreateTemporary(path);
  const std::string temporary = file.Path();
  std::string reason;
  try {
    file.Write(bytes.data(), bytes.size());
    file.Flush();
    file.Close();
    // Only the owner may read the new file (CreateTemporary), which a key needs.
    constexpr std::uint32_t kReadableByAll = 0644;
    if (!mode.Secret && !FileSetPermissions(temporary, kReadableByAll)) {
      throw EInOutError(Format("Cannot set the permissions of \"%s\". %s", temporary, LastSystemErrorText()));
    }
  } catch (...) {
    file.Close();
    DeleteFile(temporary);
    throw;
  }
  if (!(mode.Replace ? ReplaceFile(temporary, path, &reason) : RenameFile(temporary, path, &reason))) {
    DeleteFile(temporary);
    throw EFCreateError(Format("Cannot create file \"%s\". %s", path, reason));
  }
}

}  // namespace bailan::cli
