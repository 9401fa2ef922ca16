#include <cstdlib>

#include "support/Environment.h"

namespace bailan::test {

void SetEnvironment(const std::string& name, const char* value) {
  if (value) {
    ::setenv(name.c_str(), value, 1);
  } else {
    ::unsetenv(name.c_str());
  }
}

}  // namespace bailan::test
