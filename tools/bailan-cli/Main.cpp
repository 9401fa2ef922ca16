// bailan-cli: the installer's command-line face, for makers checking their server
// and for end-to-end tests. `bailan-cli COMMAND ARGS...`.
#include <exception>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "platform/Console.h"
#include "platform/Exception.h"
#include "transport/http/TrustedAuthorities.h"

int main(int argc, char** argv) {
  using namespace bailan::cli;
  bailan::PrepareConsoleOutput();
  bailan::TrustAuthoritiesFromEnvironment();  // --cacert, taken later, overrides it
  std::vector<std::string> args = bailan::ProgramArguments(argc, argv);
  if (args.empty()) return UsageError();
  const TCliCommand* command = TCliCommand::Find(args.front());
  if (!command) return UsageError();
  args.erase(args.begin());
  try {
    return command->Run(args);
  } catch (const bailan::Exception& error) {
    return ReportFailure(error.ClassName(), error.Message());
  } catch (const std::exception& error) {
    return ReportFailure("Exception", error.what());
  }
}
