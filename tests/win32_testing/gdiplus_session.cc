// GDI+ and COM for the whole test run, as the program starts them before
// its main window: the skin, the widgets and the text helpers need both.
#include <gtest/gtest.h>
#include <objbase.h>

#include "framework/win32.h"

namespace {

class GdiplusSession : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
  }
  void TearDown() override {
    Gdiplus::GdiplusShutdown(token_);
    CoUninitialize();
  }

 private:
  ULONG_PTR token_ = 0;
};

const ::testing::Environment* const session = ::testing::AddGlobalTestEnvironment(new GdiplusSession);

}  // namespace
