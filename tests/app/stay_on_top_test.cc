#include "app/stay_on_top.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvid {
namespace {

constexpr wchar_t kClass[] = L"KorvidStayOnTopTest";

bool Topmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Plain top-level windows: `main` as the program's, a hidden window above
// it, and `other`, the program the user works in, above both. (The window's
// own pop-ups are met in the GUI test of the tray menu: under Wine an owner
// lifted with its pop-ups lands under them rather than among the topmost.)
class StayOnTopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);
    main = Make(true);
    hidden = Make(false);
    other = Make(true);
    SetWindowPos(hidden, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ASSERT_TRUE(Above(other, main));
  }
  void TearDown() override {
    for (HWND window : {hidden, other, main}) DestroyWindow(window);
  }
  HWND Make(bool visible) {
    HWND window = CreateWindowExW(0, kClass, L"", WS_POPUP | (visible ? WS_VISIBLE : 0), 10, 10, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    return window;
  }
  // Whether `upper` lies above `lower` in the z-order.
  static bool Above(HWND upper, HWND lower) {
    for (HWND window = GetWindow(lower, GW_HWNDPREV); window; window = GetWindow(window, GW_HWNDPREV)) {
      if (window == upper) return true;
    }
    return false;
  }
  void Send(const std::vector<LPARAM>& requests) {
    for (LPARAM request : requests) stayOnTop.Request(main, request);
  }

  StayOnTop stayOnTop;
  HWND main = nullptr, hidden = nullptr, other = nullptr;
};

TEST_F(StayOnTopTest, OnLiftsTheWindowAndOffPutsItBackUnderTheProgramInUse) {
  const std::vector<std::vector<LPARAM>> pairs = {{1, 0}, {1, 1, 0, 0}, {1, 2, 0}};
  for (const auto& requests : pairs) {
    SCOPED_TRACE(::testing::PrintToString(requests));
    stayOnTop.Request(main, 1);
    EXPECT_TRUE(Topmost(main));
    EXPECT_TRUE(Above(main, other));
    Send(std::vector<LPARAM>(requests.begin() + 1, requests.end()));
    EXPECT_FALSE(Topmost(main));
    EXPECT_TRUE(Above(other, main));
  }
}

TEST_F(StayOnTopTest, AnOffAloneOnlyEndsATopmostState) {
  stayOnTop.Request(main, 0);
  EXPECT_FALSE(Topmost(main));
  EXPECT_TRUE(Above(other, main)) << "an off with nothing to undo raised the window";
  SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  stayOnTop.Request(main, 0);
  EXPECT_FALSE(Topmost(main));
}

TEST_F(StayOnTopTest, AWindowTopmostBeforeThePairStaysSo) {
  SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  Send({1, 0});
  EXPECT_TRUE(Topmost(main));
}

}  // namespace
}  // namespace korvid
