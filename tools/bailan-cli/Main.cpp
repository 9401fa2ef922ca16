// bailan-cli: the installer's command-line face, for makers checking their server
// and for end-to-end tests. `bailan-cli COMMAND ARGS...`.
#include <exception>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "platform/Exception.h"

int main(int argc, char** argv) {
  using namespace bailan::cli;
  if (argc < 2) return UsageError();
  const TCliCommand* command = TCliCommand::Find(argv[1]);
  if (!command) return UsageError();
  std::vector<std::string> args(argv + 2, argv + argc);
  try {
    return command->Run(args);
  } catch (const bailan::Exception& error) {
    return ReportFailure(error.ClassName(), error.Message());
  } catch (const std::exception& error) {
    return ReportFailure("Exception", error.what());
  }
}
