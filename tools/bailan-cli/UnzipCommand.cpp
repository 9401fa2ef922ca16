// bailan-cli unzip ARCHIVE FOLDER: extracts ARCHIVE into FOLDER as a job
// transfer thread does (all entries, paths recreated, attributes kept, existing
// files replaced) and prints "extracted=N", N being the entries handled.
#include <cstdio>
#include <string>

#include "CliCommand.h"
#include "platform/Console.h"
#include "transport/zip/UnZipper.h"

namespace bailan::cli {
namespace {

int RunUnzip(const std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError(TCliCommand::Find("unzip"));
  TUnZipper unzipper;
  unzipper.SetZipName(ArgumentToCp936(args[0]));
  unzipper.SetDestDir(ArgumentToCp936(args[1]));
  unzipper.DoAll = true;
  unzipper.ReadDirectory();
  unzipper.RecreateDirs = true;
  unzipper.RetainAttributes = true;
  unzipper.OverwriteMode = TUZOverwriteMode::Always;
  int extracted = unzipper.ExtractMarked();
  std::printf("extracted=%d\n", extracted);
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

const TCliCommand kUnzip("unzip", "ARCHIVE FOLDER", RunUnzip);

}  // namespace
}  // namespace bailan::cli
