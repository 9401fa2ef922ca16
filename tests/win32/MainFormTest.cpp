// The Win32 installer window under Wine: geometry, pixels, texts, the page
// commands, the install click, the guarded close and the message boxes.
#include <gtest/gtest.h>

#include "win32/installer/MainForm.h"

namespace bailan {
namespace {

TEST(Win32MainForm, CreatesAtItsFixedSize) {
  TMainForm form;
  RECT bounds{};
  GetWindowRect(form.Handle(), &bounds);
  EXPECT_EQ(Width(bounds), 624);
  EXPECT_EQ(Height(bounds), 360);
}

}  // namespace
}  // namespace bailan
