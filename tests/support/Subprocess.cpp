#include "support/Subprocess.h"

namespace bailan::test {

int RunCli(const std::vector<std::string>& args, std::string* out, std::string* err, int timeoutMs) {
  std::vector<std::string> argv{BAILAN_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  TSubprocess child(argv);
  int code = child.Wait(timeoutMs);
  if (out) *out = child.Stdout();
  if (err) *err = child.Stderr();
  return code;
}

}  // namespace bailan::test
