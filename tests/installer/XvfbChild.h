#pragma once

#include <cstdlib>

namespace bailan::test {

// Set in the environment of the child process that Showcase.UnderXvfb runs on
// its own X server; the *Child tests run only there.
inline constexpr const char* kXvfbChildVariable = "BAILAN_XVFB_CHILD";

inline bool InXvfbChild() {
  return std::getenv(kXvfbChildVariable) != nullptr;
}

}  // namespace bailan::test
