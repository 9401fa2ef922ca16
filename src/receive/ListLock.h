#pragma once

#include <mutex>

namespace bailan {

// The one process-wide lock of the resource lists, the job list and the
// receiving grid's row table. Every change and every read of them takes it, on
// any thread, so the window never sees them half-changed. Recursive, so that a
// caller holding it may call the list operations, which take it again.
std::recursive_mutex& ListLock();

}  // namespace bailan
