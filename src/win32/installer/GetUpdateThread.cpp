#include "win32/installer/GetUpdateThread.h"

#include <memory>

#include "win32/installer/FormMessages.h"

namespace bailan {

void GetUpdateThread::Run(HWND form) {
  TThread::StartFreeOnTerminate(std::shared_ptr<TThread>(new GetUpdateThread(form)));
}

void GetUpdateThread::Execute() {
  PostMessageW(form_, kNavigateShowcase, 0, 0);
}

}  // namespace bailan
