// The button page and the custom hotkey pop-up in real windows, under Wine:
// loading and storing bindings through the shared rules, the tool-tip texts,
// Apply and the stay-on-top request, and the pop-up run modally from a menu
// choice, with its hook and the drag setting put back however it closes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "buttons/binding_labels.h"
#include "buttons/button_assignment_dlg.h"
#include "buttons/custom_hotkey_pop.h"
#include "framework/win32.h"
#include "profile/function_codes.h"
#include "profile/profile_record.h"
#include "res/resource.h"
#include "widgets/input_hooks.h"
#include "widgets/window_messages.h"

#include <commctrl.h>

namespace korvid {
namespace {

constexpr wchar_t kHostClass[] = L"KorvidButtonPageTestHost";
constexpr wchar_t kPopupTitle[] = L"Custom Hotkey";
constexpr UINT kRunScript = WM_APP + 7;

// The main window as the page sees it: counts the applies.
class FakeHost : public PageHost {
 public:
  void StartApply() override { ++applies; }
  void RestoreDefaultProfile() override {}
  void DiscoverMouse(std::function<void(MouseLookup)> answer) override { answer(MouseLookup::kFound); }
  void PageChanged() override {}
  int applies = 0;
};

// The page's parent: notes the stay-on-top requests, and while a pop-up is
// open runs the test's script on it from inside the pop-up's modal loop.
class HostWindow : public framework::CWnd {
 public:
  bool Open() {
    if (!RegisterStandardClass(kHostClass)) return false;
    return CreateEx(0, kHostClass, L"host", WS_POPUP | WS_CLIPCHILDREN, 20, 20, 1100, 700, nullptr, nullptr);
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_SYSCOMMAND && wParam == kStayOnTopRequest) {
      stayOnTop.push_back(static_cast<int>(lParam));
      return 0;
    }
    if (message == kRunScript) {
      HWND popup = FindWindowW(nullptr, kPopupTitle);
      scriptRan = popup != nullptr;
      if (popup) script(popup);
      return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
  std::vector<int> stayOnTop;
  std::function<void(HWND)> script;
  bool scriptRan = false;
};

ButtonBinding Binding(int buttonNumber, uint32_t type, uint32_t code, uint16_t extra = 0) {
  return ButtonBinding{static_cast<uint8_t>(buttonNumber - 1), type, code, extra};
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

bool DragFullWindows() {
  BOOL on = FALSE;
  SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &on, 0);
  return on != FALSE;
}

class ButtonPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Open());
    page_ = std::make_unique<CButtonAssignmentDlg>(&host_, fakeHost_);
    ASSERT_TRUE(page_->Create());
    dragWas_ = DragFullWindows();
  }
  void TearDown() override {
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, dragWas_, nullptr, 0);
    page_.reset();
    host_.DestroyWindow();
  }

  HWND Control(int id) const { return page_->GetDlgItem(id); }
  HWND FunctionButton(int n) const { return Control(IDC_FUNCTION_BUTTON_1 + n - 1); }
  // The label function button n shows.
  std::wstring Label(int n) const { return Combo(n).Label(); }
  CQuoBnComboButton& Combo(int n) const {
    return *static_cast<CQuoBnComboButton*>(framework::CWnd::FromHandle(FunctionButton(n)));
  }

  // The tool-tip text the page gives for a control, or null for none.
  std::optional<std::wstring> ToolTipFor(HWND control) {
    NMTTDISPINFOW request{};
    request.hdr.hwndFrom = nullptr;
    request.hdr.idFrom = reinterpret_cast<UINT_PTR>(control);
    request.hdr.code = TTN_NEEDTEXTW;
    request.uFlags = TTF_IDISHWND;
    SendMessageW(page_->GetSafeHwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
    if (!request.lpszText || request.lpszText == LPSTR_TEXTCALLBACKW) return std::nullopt;
    return std::wstring(request.lpszText);
  }

  // Chooses "Keyboard key" on button n as its menu would, with `script`
  // run on the pop-up while it is open; returns once the pop-up has closed.
  void ChooseKeyboardKey(int n, std::function<void(HWND)> script) {
    host_.script = std::move(script);
    host_.scriptRan = false;
    PostMessageW(host_.GetSafeHwnd(), kRunScript, 0, 0);
    CQuoBnComboButton& combo = Combo(n);
    SendMessageW(combo.GetSafeHwnd(), WM_SYSCOMMAND, static_cast<WPARAM>(combo.Menu()->MenuId()), kFnKeyboardKey);
    EXPECT_TRUE(host_.scriptRan) << "the pop-up did not open";
  }

  HostWindow host_;
  FakeHost fakeHost_;
  std::unique_ptr<CButtonAssignmentDlg> page_;
  BOOL dragWas_ = FALSE;
};

TEST_F(ButtonPageTest, FreshPageShowsTheFiveDefaultsAndHidesTheRest) {
  const wchar_t* labels[] = {L"Left click", L"Right click", L"Middle click", L"IE Forward", L"IE Backward"};
  const RECT rects[] = {{623, 132, 905, 166}, {623, 169, 905, 203}, {623, 207, 905, 238},
                        {623, 245, 905, 276}, {623, 282, 905, 313}};
  for (int n = 1; n <= 5; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(Label(n), labels[n - 1]);
    // What accessibility tools read: the button's name, then its label.
    EXPECT_EQ(TextOf(FunctionButton(n)), L"Button " + std::to_wstring(n) + L": " + labels[n - 1]);
    EXPECT_EQ(Combo(n).MenuEnabled(), n >= 3);
    RECT rect{};
    GetWindowRect(FunctionButton(n), &rect);
    MapWindowPoints(HWND_DESKTOP, page_->GetSafeHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_TRUE(EqualRect(&rect, &rects[n - 1]));
  }
  for (int id : {IDC_FUNCTION_BUTTON_6, IDC_FUNCTION_BUTTON_7, IDC_BUTTON_TEXT_1, IDC_BUTTON_TEXT_7}) {
    EXPECT_FALSE(GetWindowLongPtrW(Control(id), GWL_STYLE) & WS_VISIBLE) << id;
  }
  ASSERT_TRUE(Combo(3).Menu());
  EXPECT_EQ(Combo(3).Menu()->Items().size(), 9u);
  ASSERT_TRUE(Combo(1).Menu());
  EXPECT_EQ(Combo(1).Menu()->Items().size(), 1u);
}

// Each binding loaded into the page shows its label and is stored back as
// the shared rules store it.
TEST_F(ButtonPageTest, BindingsLoadIntoThePageAndStoreBack) {
  struct Case {
    const char* what;
    int button;
    ButtonBinding binding;
    const wchar_t* label;
    ButtonBinding stored;
  };
  const Case cases[] = {
      {"key with modifiers", 3, Binding(3, 2, 3, 0x04), L"Ctrl+Shift+A", Binding(3, 2, 3, 0x04)},
      {"modifiers without a key", 4, Binding(4, 2, 1, 0), L"Ctrl", Binding(4, 2, 1, 0)},
      {"a modifier that is the key", 5, Binding(5, 2, 1, 0xE0), L"Left CONTROL", Binding(5, 2, 1, 0xE0)},
      {"keypad plus with Shift", 3, Binding(3, 2, 2, 0x57), L"Shift++", Binding(3, 2, 2, 0x57)},
      {"F13", 4, Binding(4, 2, 8, 0x68), L"Win+F13", Binding(4, 2, 8, 0x68)},
      {"wheel up", 5, Binding(5, 1, 1), L"Scroll Up", Binding(5, 1, 1)},
      {"wheel down", 3, Binding(3, 1, 255), L"Scroll Down", Binding(3, 1, 255)},
      {"disabled", 4, Binding(4, 255, 255), L"Disable button", Binding(4, 255, 255)},
      // No menu offers these: the button shows them for what they are and
      // stores them back as they were.
      {"multimedia", 5, Binding(5, 32, 0xCD), L"Media: Play/Pause", Binding(5, 32, 0xCD)},
      {"middle click on button 1", 1, Binding(1, 0, 4), L"Middle click", Binding(1, 0, 4)},
      {"a key on button 2", 2, Binding(2, 2, 1, 0x04), L"Ctrl+A", Binding(2, 2, 1, 0x04)},
      {"a key usage outside the table", 3, Binding(3, 2, 0, 0x58), L"Key usage 0x58", Binding(3, 2, 0, 0x58)},
  };
  ProfileRecord defaults;
  ResetToDefaultProfile(defaults);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    page_->LoadFromProfile(defaults);
    ProfileRecord profile = defaults;
    profile.buttons[static_cast<size_t>(c.button - 1)] = c.binding;
    page_->LoadFromProfile(profile);
    EXPECT_EQ(Label(c.button), c.label);
    EXPECT_EQ(Combo(c.button).Label(), c.label);

    ProfileRecord stored = defaults;
    for (ButtonBinding& b : stored.buttons) b = ButtonBinding{9, 9, 9, 0x99};
    page_->StoreToProfile(stored);
    for (int n = 1; n <= 5; ++n) {
      const ButtonBinding expected = n == c.button ? c.stored : defaults.buttons[static_cast<size_t>(n - 1)];
      EXPECT_EQ(stored.buttons[static_cast<size_t>(n - 1)].index, expected.index) << "button " << n;
      EXPECT_EQ(stored.buttons[static_cast<size_t>(n - 1)].type, expected.type) << "button " << n;
      EXPECT_EQ(stored.buttons[static_cast<size_t>(n - 1)].code, expected.code) << "button " << n;
      if (expected.type == 2) {
        EXPECT_EQ(stored.buttons[static_cast<size_t>(n - 1)].extra, expected.extra) << "button " << n;
      }
    }
    EXPECT_EQ(stored.buttons[5], (ButtonBinding{9, 9, 9, 0x99})) << "the sixth binding was touched";
  }
}

TEST_F(ButtonPageTest, ToolTipsNameEachButtonsFunction) {
  ProfileRecord profile;
  ResetToDefaultProfile(profile);
  profile.buttons[2] = Binding(3, 2, 1, 0x04);
  profile.buttons[3] = Binding(4, 255, 255);
  page_->LoadFromProfile(profile);
  EXPECT_EQ(ToolTipFor(FunctionButton(1)), L"Bind left button");
  EXPECT_EQ(ToolTipFor(FunctionButton(2)), L"Bind right button");
  EXPECT_EQ(ToolTipFor(FunctionButton(3)), L"Bind button to a custom hotkey");
  EXPECT_EQ(ToolTipFor(FunctionButton(4)), L"Disable button");
  EXPECT_EQ(ToolTipFor(FunctionButton(5)), L"Bind IE backward button");
  EXPECT_EQ(ToolTipFor(Control(IDC_BUTTON_PAGE_APPLY)), L"Apply settings and store it onboard mouse memory");
  EXPECT_EQ(ToolTipFor(Control(IDC_BUTTON_TEXT_1)), std::nullopt);
  EXPECT_EQ(ToolTipFor(Control(IDC_FUNCTION_BUTTON_6)), std::nullopt);
  // A binding no menu offers is described by its family.
  profile.buttons[3] = Binding(4, 32, 0xCD);
  page_->LoadFromProfile(profile);
  EXPECT_EQ(ToolTipFor(FunctionButton(4)), L"Bind to multimedia functionality");
}

TEST_F(ButtonPageTest, ApplyAsksTheMainWindowAndStayOnTopGoesUp) {
  SendMessageW(Control(IDC_BUTTON_PAGE_APPLY), BM_CLICK, 0, 0);
  EXPECT_EQ(fakeHost_.applies, 1);
  SendMessageW(page_->GetSafeHwnd(), WM_SYSCOMMAND, kStayOnTopRequest, 1);
  SendMessageW(page_->GetSafeHwnd(), WM_SYSCOMMAND, kStayOnTopRequest, 0);
  EXPECT_EQ(host_.stayOnTop, (std::vector<int>{1, 0}));
}

TEST_F(ButtonPageTest, MenuChoicesBecomeTheButtonsFunction) {
  CQuoBnComboButton& combo = Combo(4);
  SendMessageW(combo.GetSafeHwnd(), WM_SYSCOMMAND, static_cast<WPARAM>(combo.Menu()->MenuId()), kFnScrollDown);
  EXPECT_EQ(Label(4), L"Scroll Down");
  EXPECT_EQ(combo.FunctionId(), kFnScrollDown);
  ProfileRecord profile;
  ResetToDefaultProfile(profile);
  page_->StoreToProfile(profile);
  EXPECT_EQ(profile.buttons[3], (ButtonBinding{3, 1, 255, profile.buttons[3].extra}));
}

// The pop-up, opened by "Keyboard key": what it hands the button, and that
// its hook and the drag setting are gone however it closes.
TEST_F(ButtonPageTest, HotkeyPopupBindsTheButtonAndLeavesNothingBehind) {
  enum Close { kSave, kCancel, kCloseMessage, kQuit };
  struct Case {
    const char* what;
    std::vector<int> keys;  // key events from the hook
    std::vector<int> toggles;
    Close close;
    const wchar_t* label;  // what the button shows afterwards
    int functionId;
    int modifiers;
  };
  const Case cases[] = {
      {"Ctrl and A, Save", {'A', 'A'}, {IDC_HOTKEY_CTRL}, kSave, L"Ctrl+A", 1067, kModCtrl},
      {"Shift and Alt alone, Save", {}, {IDC_HOTKEY_SHIFT, IDC_HOTKEY_ALT}, kSave, L"Shift+Alt", 1502, 6},
      {"F5, Save", {VK_F5}, {}, kSave, L"F5", 1118, 0},
      {"nothing chosen, Save", {}, {}, kSave, L"Middle click", kFnMiddleClick, -1},
      {"a refused key, Save", {VK_BROWSER_FORWARD}, {}, kSave, L"Middle click", kFnMiddleClick, -1},
      {"a refused key with Ctrl, Save", {VK_BROWSER_FORWARD}, {IDC_HOTKEY_CTRL}, kSave, L"Middle click", kFnMiddleClick,
       -1},
      {"Ctrl, Shift and F5, Save", {VK_F5}, {IDC_HOTKEY_CTRL, IDC_HOTKEY_SHIFT}, kSave, L"Ctrl+Shift+F5", 1118, 3},
      {"a key, Cancel", {'B'}, {IDC_HOTKEY_WIN}, kCancel, L"Middle click", kFnMiddleClick, -1},
      {"a key, closed by the system", {'C'}, {}, kCloseMessage, L"Middle click", kFnMiddleClick, -1},
      {"a key, the program ends", {'D'}, {}, kQuit, L"Middle click", kFnMiddleClick, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProfileRecord defaults;
    ResetToDefaultProfile(defaults);
    page_->LoadFromProfile(defaults);
    Combo(3).SetBinding(Combo(3).Label(), Combo(3).FunctionId(), -1);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
    bool hookWhileOpen = false, dragWhileOpen = false;
    ChooseKeyboardKey(3, [&](HWND popup) {
      hookWhileOpen = KeyboardCaptureHookInstalled();
      dragWhileOpen = DragFullWindows();
      for (int key : c.keys) SendMessageW(popup, kHookEventMessage, static_cast<WPARAM>(key), 0);
      for (int toggle : c.toggles) SendMessageW(GetDlgItem(popup, toggle), BM_CLICK, 0, 0);
      switch (c.close) {
        case kSave: SendMessageW(GetDlgItem(popup, IDC_HOTKEY_SAVE), BM_CLICK, 0, 0); break;
        case kCancel: SendMessageW(GetDlgItem(popup, IDC_HOTKEY_CANCEL), BM_CLICK, 0, 0); break;
        case kCloseMessage: SendMessageW(popup, WM_CLOSE, 0, 0); break;
        case kQuit: PostQuitMessage(0); break;
      }
    });
    if (c.close == kQuit) {
      MSG quit;
      EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was lost";
    }
    EXPECT_TRUE(hookWhileOpen);
    EXPECT_TRUE(dragWhileOpen);
    EXPECT_FALSE(KeyboardCaptureHookInstalled());
    EXPECT_FALSE(DragFullWindows()) << "the user's drag setting was not put back";
    EXPECT_EQ(FindWindowW(nullptr, kPopupTitle), nullptr);
    EXPECT_EQ(Label(3), c.label);
    EXPECT_EQ(Combo(3).FunctionId(), c.functionId);
    EXPECT_EQ(Combo(3).Modifiers(), c.modifiers);
    EXPECT_TRUE(Combo(3).AdoptsSelection());
  }
}

TEST_F(ButtonPageTest, CapturedKeyIsStoredAsItsUsage) {
  ChooseKeyboardKey(5, [](HWND popup) {
    SendMessageW(popup, kHookEventMessage, VK_F13, 0);
    SendMessageW(GetDlgItem(popup, IDC_HOTKEY_SHIFT), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(popup, IDC_HOTKEY_SAVE), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(Label(5), L"Shift+F13");
  ProfileRecord profile;
  ResetToDefaultProfile(profile);
  page_->StoreToProfile(profile);
  EXPECT_EQ(profile.buttons[4], (ButtonBinding{4, 2, kModShift, 0x68}));
  // Loaded back, it reads as the page's own labels do.
  page_->LoadFromProfile(profile);
  EXPECT_EQ(Label(5), L"Shift+F13");
}

// A drag setting that was on stays on: the pop-up puts back only what it changed.
TEST_F(ButtonPageTest, HotkeyPopupLeavesADragSettingThatWasOn) {
  SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  ChooseKeyboardKey(4, [](HWND popup) { SendMessageW(GetDlgItem(popup, IDC_HOTKEY_CANCEL), BM_CLICK, 0, 0); });
  EXPECT_TRUE(DragFullWindows());
}

}  // namespace
}  // namespace korvid
