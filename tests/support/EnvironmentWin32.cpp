#include <cstdlib>

#include "support/Environment.h"

namespace bailan::test {

void SetEnvironment(const std::string& name, const char* value) {
  // An empty value removes the variable.
  ::_putenv_s(name.c_str(), value ? value : "");
}

}  // namespace bailan::test
