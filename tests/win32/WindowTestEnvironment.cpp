// What every window test needs once per run: COM (pictures, folder browser,
// browser) and the common controls on the test's thread.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <ole2.h>

#include "WindowTestSupport.h"

namespace {

class TWindowTestEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    bailan::test::FailUnexpectedBoxes();
  }
  void TearDown() override { OleUninitialize(); }
};

const testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new TWindowTestEnvironment);

}  // namespace
