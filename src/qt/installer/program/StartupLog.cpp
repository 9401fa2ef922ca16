#include "qt/installer/program/StartupLog.h"

#include <QEvent>
#include <QMetaObject>
#include <QWidget>
#include <chrono>
#include <ctime>

namespace bailan {
namespace {

constexpr long long kNanosecondsPerSecond = 1000000000;

}  // namespace

TStartupLog::TStartupLog(const std::string& path) {
  if (!path.empty()) out_.open(path, std::ios::trunc);
}

void TStartupLog::Mark(const char* step) {
  if (!out_.is_open()) return;
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  timespec cpu{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
  out_ << step << ' ' << std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() << ' '
       << static_cast<long long>(cpu.tv_sec) * kNanosecondsPerSecond + cpu.tv_nsec << std::endl;
}

void TStartupLog::Watch(QWidget& window) {
  if (!out_.is_open()) return;
  window_ = &window;
  window.installEventFilter(this);
}

bool TStartupLog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Paint) {
    window_->removeEventFilter(this);
    window_ = nullptr;
    Mark("paint");
    // Queued behind the repaint that is running: it has flushed the frame by then.
    QMetaObject::invokeMethod(
        this, [this] { Mark("frame"); }, Qt::QueuedConnection);
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace bailan
