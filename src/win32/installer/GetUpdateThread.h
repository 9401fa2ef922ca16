#pragma once

#include <windows.h>

#include "platform/Thread.h"

namespace bailan {

// The page-loading thread: started once when the installer window is shown,
// it hands the first load of the showcase page to the GUI thread (a posted
// kNavigateShowcase) and ends, freeing itself. A window already gone by then
// gets nothing.
class GetUpdateThread : public TThread {
 public:
  static void Run(HWND form);

 protected:
  void Execute() override;

 private:
  // Made only by Run, which hands the thread its own reference; any thread.
  explicit GetUpdateThread(HWND form) : form_(form) {}

  HWND form_;
};

}  // namespace bailan
