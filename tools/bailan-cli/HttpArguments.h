#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bailan::cli {

// The arguments of the HTTP commands (head, get): [--read-timeout MS] followed by
// `positionalCount` positional arguments, converted to the system's CP936 text.
// The time-out is 30000 ms unless given. False on a usage error.
bool ParseHttpArguments(const std::vector<std::string>& args, std::size_t positionalCount,
                        std::vector<std::string>& positional, int& readTimeout);

}  // namespace bailan::cli
