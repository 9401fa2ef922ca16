#pragma once

#include <string>

namespace bailan::test {

// Sets (or, with nullptr, removes) an environment variable of this process,
// where the C runtime's getenv sees it. Values are in the host's encoding.
void SetEnvironment(const std::string& name, const char* value);

}  // namespace bailan::test
