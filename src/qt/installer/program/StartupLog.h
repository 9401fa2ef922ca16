#pragma once

#include <QObject>
#include <fstream>
#include <string>

class QWidget;

namespace bailan {

// The start-up milestones of the test build, for the first-paint benchmark:
// one line "STEP WALL CPU" per step, WALL the wall clock (CLOCK_REALTIME) in
// nanoseconds since the epoch, so that the caller measures from the moment it
// started the process, and CPU the processor time the process has used so far
// in nanoseconds, which another process's load does not stretch. Steps: "main", those of RunInstaller,
// "paint" (the main window's first paint event) and "frame" (that paint flushed to the screen: the next turn
// of the event loop). Inactive when the path is empty or cannot be created.
class TStartupLog : public QObject {
 public:
  // Writes to the file at `path`, replaced. Owned by the caller; it must
  // outlive the watched window's first paint. Main thread only.
  explicit TStartupLog(const std::string& path);

  void Mark(const char* step);
  // Logs the first paint and frame of `window`.
  void Watch(QWidget& window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::ofstream out_;
  QWidget* window_ = nullptr;  // not owned; watched until its first paint
};

}  // namespace bailan
