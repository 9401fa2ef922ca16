#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bailan::cli {

// The arguments of the HTTP commands (head, get): [--read-timeout MS] [--cacert
// FILE] and `positionalCount` positional arguments, converted to the system's
// CP936 text. The time-out is 30000 ms unless given. False on a usage error.
bool ParseHttpArguments(const std::vector<std::string>& args, std::size_t positionalCount,
                        std::vector<std::string>& positional, int& readTimeout);

// Takes "--cacert FILE" at args[i] (moving i onto FILE): FILE's authorities are
// trusted for https beside the system's, by every client of the process.
// Returns false when args[i] is not that option; `ok` becomes false when FILE
// is missing.
bool TakeCaCertOption(const std::vector<std::string>& args, std::size_t& i, bool& ok);

}  // namespace bailan::cli
