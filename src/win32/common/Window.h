#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace bailan {

// What a window of our own is made of.
struct TWindowSpec {
  const wchar_t* ClassName = nullptr;  // registered on first use with this class's procedure
  DWORD Style = 0;
  DWORD ExStyle = 0;
  RECT Bounds{};  // left, top, right, bottom in the parent's client coordinates
  HWND Parent = nullptr;
  int Id = 0;  // the control id of a child window
  std::wstring Text;
  HCURSOR Cursor = nullptr;  // null: the arrow
};

// A window of our own: owns its HWND (destroyed with this object) and routes its
// messages to the virtual HandleMessage through a static trampoline. An error
// that escapes a message is shown by the default error report and the program
// goes on (nothing may unwind through the system's frames). GUI thread only.
class TWindow {
 public:
  TWindow() = default;
  virtual ~TWindow();
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  HWND Handle() const { return hwnd_; }

 protected:
  // Creates the HWND; raises an error when the system refuses.
  void CreateHandle(const TWindowSpec& spec);
  // Destroys the HWND (and its children) without routing any more messages
  // here: for a derived destructor, while its members are still alive.
  void DestroyHandle();
  // Messages not handled here go to DefWindowProcW.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
};

// A standard control (BUTTON, EDIT, STATIC, ...) as a child of `parent`; the
// parent owns it and destroys it with itself.
HWND CreateControl(const wchar_t* className, std::wstring_view text, DWORD style, RECT bounds, HWND parent,
                   int id, DWORD exStyle = 0);

RECT Bounds(int left, int top, int width, int height);
int Width(const RECT& rect);
int Height(const RECT& rect);
// A child's rectangle in its parent's client coordinates.
RECT ChildBounds(HWND child);

// The text of a window as CP936, and setting it from CP936.
std::string WindowText(HWND window);
void SetWindowTextCp(HWND window, std::string_view cp936);

// The command a click on `button` sends to its parent, sent from code: the
// page commands are clicked so, whether the button is visible or not.
void ClickButton(HWND button);

}  // namespace bailan
