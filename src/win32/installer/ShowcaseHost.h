#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace bailan {

// The system's web browser control (IWebBrowser2) hosted through plain COM in
// a child window of its own. When a document completes, the top document's
// body is set to show without scroll bars, border or margin; then
// `documentComplete` is called with whether the whole page (not a frame) has
// completed and, for the whole page, its body's HTML as CP936. GUI thread only.
class TShowcaseHost {
 public:
  using TDocumentComplete = std::function<void(bool topLevel, const std::string* body)>;

  // The host as a hidden child of `parent`; null where the control cannot be
  // made (Wine without its browser), and the window keeps its banner.
  static std::unique_ptr<TShowcaseHost> Create(HWND parent, RECT bounds, TDocumentComplete documentComplete);
  virtual ~TShowcaseHost() = default;

  virtual HWND Window() const = 0;
  // Starts loading `url` (CP936), replacing any load in progress.
  virtual void Navigate(const std::string& url) = 0;
};

}  // namespace bailan
