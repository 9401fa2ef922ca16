#include "qt/installer/GetUpdateThread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "qt/installer/MainForm.h"

namespace bailan {

void GetUpdateThread::Run(TMainForm* form) {
  TThread::StartFreeOnTerminate(std::shared_ptr<TThread>(new GetUpdateThread(QPointer<TMainForm>(form))));
}

void GetUpdateThread::Execute() {
  // The application object outlives every window; the pointer to the form is
  // looked at only once the call has reached the GUI thread.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [form = form_] {
        if (form) form->NavigateShowcase();
      },
      Qt::QueuedConnection);
}

}  // namespace bailan
