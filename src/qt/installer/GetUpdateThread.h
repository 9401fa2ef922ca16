#pragma once

#include <QPointer>
#include <memory>

#include "platform/Thread.h"

namespace bailan {

class TMainForm;

// The short-lived thread that begins the showcase load: its body hands the
// first load of the showcase page to the GUI thread, which owns the browser,
// and ends. It frees itself; nobody keeps a reference.
class GetUpdateThread : public TThread {
 public:
  // Starts one thread for `form` (GUI thread).
  static void Run(TMainForm* form);

 protected:
  void Execute() override;

 private:
  explicit GetUpdateThread(QPointer<TMainForm> form) : form_(std::move(form)) {}

  QPointer<TMainForm> form_;  // read on the GUI thread only
};

}  // namespace bailan
