// bailan-cli help: the list of commands on stdout.
#include <cstdio>

#include "CliCommand.h"

namespace bailan::cli {
namespace {

int RunHelp(const std::vector<std::string>& args) {
  if (!args.empty()) return UsageError(TCliCommand::Find("help"));
  std::puts("bailan-cli: the installer's command-line face. Commands:");
  for (const TCliCommand* command : TCliCommand::All()) std::printf("  %s\n", command->Synopsis().c_str());
  return kExitOk;
}

const TCliCommand kHelp("help", "", RunHelp);

}  // namespace
}  // namespace bailan::cli
