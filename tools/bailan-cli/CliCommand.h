#pragma once

#include <string>
#include <vector>

namespace bailan::cli {

// Exit codes of bailan-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// One subcommand: `bailan-cli NAME ARGS...`. Each lives in a file of its own and
// registers itself with a static TCliCommand, so main() needs no list of them.
class TCliCommand {
 public:
  using TRun = int (*)(const std::vector<std::string>& args);

  // `name`, `usage` and `run` must outlive the program (string literals and
  // functions); registration happens during static initialisation.
  TCliCommand(const char* name, const char* usage, TRun run);
  TCliCommand(const TCliCommand&) = delete;
  TCliCommand& operator=(const TCliCommand&) = delete;

  const char* Name() const { return name_; }
  const char* Usage() const { return usage_; }
  // "bailan-cli NAME USAGE", without a trailing space for a command without arguments.
  std::string Synopsis() const;
  int Run(const std::vector<std::string>& args) const { return run_(args); }

  static const std::vector<const TCliCommand*>& All();
  static const TCliCommand* Find(const std::string& name);

 private:
  const char* name_;
  const char* usage_;
  TRun run_;
};

// Prints the usage text of every command (or of `only`) to stderr and returns
// kExitUsage.
int UsageError(const TCliCommand* only = nullptr);

// `cp936` on one line: each run of line breaks (a socket error's number and
// text stand on two lines) becomes one space.
std::string OneLine(const std::string& cp936);

// Prints "ClassName: message" of a failure to stderr, the message converted from
// CP936 to UTF-8, and returns kExitFailure.
int ReportFailure(const char* className, const std::string& message);

// Writes a line of the system's CP936 text to stdout as UTF-8.
void PrintLine(const std::string& cp936);

}  // namespace bailan::cli
