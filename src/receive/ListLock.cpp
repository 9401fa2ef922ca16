#include "receive/ListLock.h"

namespace bailan {

std::recursive_mutex& ListLock() {
  // Created on first use (before any window or thread uses the lists) and never
  // destroyed, so a transfer thread still ending at exit finds it valid.
  static auto* lock = new std::recursive_mutex;
  return *lock;
}

}  // namespace bailan
