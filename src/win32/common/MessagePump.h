#pragma once

#include <functional>

namespace bailan {

// Runs the GUI thread's pending messages and returns (the nested pump of the
// waits and of the anti-freeze). `allPending` false: at most one. A WM_QUIT met
// here is posted again so that the outer loop still ends. GUI thread only.
void ProcessMessages(bool allPending = true);

// Pumps messages with short sleeps until `done` is true or `timeoutMs` have
// passed; true when `done` became true. GUI thread only.
bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs);

// The program's event loop: until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace bailan
