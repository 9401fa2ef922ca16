#include "HttpArguments.h"

#include <optional>

#include "platform/Console.h"
#include "transport/http/TextUtil.h"
#include "transport/http/TrustedAuthorities.h"

namespace bailan::cli {

constexpr int kDefaultReadTimeoutMs = 30000;  // what the installer's callers set

bool ParseHttpArguments(const std::vector<std::string>& args, std::size_t positionalCount,
                        std::vector<std::string>& positional, int& readTimeout) {
  readTimeout = kDefaultReadTimeoutMs;
  positional.clear();
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool ok = true;
    if (TakeCaCertOption(args, i, ok)) {
      if (!ok) return false;
    } else if (args[i] == "--read-timeout") {
      if (i + 1 >= args.size()) return false;
      std::optional<std::int32_t> value = ParseInt32(args[++i]);
      if (!value || *value < 0) return false;
      readTimeout = *value;
    } else {
      positional.push_back(ArgumentToCp936(args[i], '_'));
    }
  }
  return positional.size() == positionalCount;
}

bool TakeCaCertOption(const std::vector<std::string>& args, std::size_t& i, bool& ok) {
  if (args[i] != "--cacert") return false;
  ok = i + 1 < args.size() && !args[i + 1].empty();
  if (ok) SetExtraTrustedAuthorities(args[++i]);
  return true;
}

}  // namespace bailan::cli
