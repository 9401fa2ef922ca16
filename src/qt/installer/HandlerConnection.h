#pragma once

#include <QObject>

#include "qt/installer/MessageBox.h"

namespace bailan {

// Wires `signal` of `sender` to the event handler `handler` of `owner`: the
// handler runs on the GUI thread, and whatever it raises is shown by the default
// error report. One line per wire, so that every connection reads alike.
template <typename Sender, typename Signal, typename Owner>
void ConnectHandler(Sender* sender, Signal signal, Owner* owner, void (Owner::*handler)()) {
  QObject::connect(sender, signal, owner,
                   [owner, handler] { RunHandler(owner, [owner, handler] { (owner->*handler)(); }); });
}

}  // namespace bailan
