// The pop-up menu, the combo buttons and the two low-level input hooks, in
// real windows. The hook tests inject input with SendInput: they move the
// pointer and press the right button and F24.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "framework/win32.h"
#include "menu_widgets_test_ids.h"
#include "pixels.h"
#include "widgets/combo_buttons.h"
#include "widgets/input_hooks.h"
#include "widgets/menu_rules.h"
#include "widgets/quo_bn_menu.h"
#include "widgets/window_messages.h"
#include "widgets/zeb_image_dialog.h"

namespace korvid {

// Reaches the timing state of a combo button and a menu's identifier, which
// the button and the menu keep to themselves.
struct WidgetTestAccess {
  static uint32_t& LastMenuTick(ComboButtonBase& button) { return button.lastMenuTick_; }
  static bool SuppressesOpen(const ComboButtonBase& button) { return button.suppressOpen_; }
  static bool PressBegunHere(const ComboButtonBase& button) { return button.pressBegunHere_; }
  static int& MenuId(CQuoBnMenu& menu) { return menu.menuId_; }
};

namespace {

constexpr int kDialogLeft = 300, kDialogTop = 400;
constexpr int kMenuId = 4711;
constexpr RECT kMenuStart{200, 150, 380, 160};
constexpr int kLineHeight = 16;  // the menus' 16-pixel Arial
constexpr DWORD kPumpLimitMs = 3000;

// A WM_SYSCOMMAND as the owner saw it, with whether the watched menu was
// still visible at that moment.
struct SysCommand {
  WPARAM wParam;
  LPARAM lParam;
  bool menuVisible;
  bool operator==(const SysCommand&) const = default;
};

void PrintTo(const SysCommand& c, std::ostream* out) {
  *out << "(0x" << std::hex << c.wParam << std::dec << ", " << c.lParam << (c.menuVisible ? ", open)" : ", closed)");
}

// The menu tree has closed before its owner hears of a choice.
SysCommand ChoiceAfterClosing(WPARAM source, LPARAM id) { return {source, id, false}; }
constexpr SysCommand kStayOnTopOn{kStayOnTopRequest, 1, true};
constexpr SysCommand kStayOnTopOff{kStayOnTopRequest, 0, false};

// The owner of the menus under test and the parent of one combo button of
// each kind. It records the WM_SYSCOMMANDs and hook posts it receives.
class MenuTestDialog : public CZebImageDialog {
 public:
  MenuTestDialog() : CZebImageDialog(IDD_MENU_TEST, nullptr) {}

  void DoDataExchange() override {
    bnCombo.SubclassDlgItem(IDC_TEST_BN_COMBO, *this);
    combo.SubclassDlgItem(IDC_TEST_COMBO, *this);
  }
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_SYSCOMMAND) {
      commands.push_back({wParam, lParam, watched && ::IsWindowVisible(watched)});
      if (keepOwnResult && wParam == IDC_TEST_BN_COMBO) bnCombo.SetAdoptsSelection(false);
      SetMessageResult(0);
      return TRUE;
    }
    if (message == kHookEventMessage) {
      // A mouse post's lParam points into the hook's stack: only the
      // keyboard's is kept.
      hookPosts.push_back({wParam, lParam});
      return TRUE;
    }
    return CZebImageDialog::DialogProc(message, wParam, lParam);
  }

  CQuoBnComboButton bnCombo;
  CQuoComboButton combo;
  HWND watched = nullptr;
  bool keepOwnResult = false;
  std::vector<SysCommand> commands;
  std::vector<std::pair<WPARAM, LPARAM>> hookPosts;
};

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// Mouse messages as the menu receives them, at a client point.
void SendMouse(HWND window, UINT message, POINT p) {
  const WPARAM keys = message == WM_LBUTTONDOWN ? MK_LBUTTON : 0;
  SendMessageW(window, message, keys, MAKELPARAM(p.x, p.y));
}

void SendMouse(const CQuoBnMenu& menu, UINT message, int itemIndex) {
  SendMouse(menu.GetSafeHwnd(), message, Centre(menu.Items()[static_cast<size_t>(itemIndex)].rect));
}

void AddItems(CQuoBnMenu& menu, int firstId, int count) {
  for (int i = 0; i < count; ++i) menu.AddItem(firstId + i, L"Item " + std::to_wstring(i), 0, 1, 0);
}

bool PointerAt(POINT p) {
  SetCursorPos(p.x, p.y);
  POINT now{};
  GetCursorPos(&now);
  return now.x == p.x && now.y == p.y;
}

class MenuWidgetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog_.Create());
    ASSERT_TRUE(dialog_.bnCombo.GetSafeHwnd());
    ASSERT_TRUE(dialog_.combo.GetSafeHwnd());
    SetWindowPos(Dialog(), nullptr, kDialogLeft, kDialogTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    dialog_.ShowWindow(SW_SHOWNOACTIVATE);
    Pump();
  }
  void TearDown() override {
    RemoveMenuMouseHook();
    RemoveKeyboardCaptureHook();
    dialog_.DestroyWindow();
    Pump();
  }

  HWND Dialog() const { return dialog_.GetSafeHwnd(); }

  // A hidden menu owned by the dialog, at kMenuStart.
  void CreateMenu(CQuoBnMenu& menu) {
    ASSERT_TRUE(menu.Create(nullptr, L"menu", 0, kMenuStart, Dialog(), kMenuId));
    dialog_.watched = menu.GetSafeHwnd();
  }

  // Dispatches what is queued, noting the keys that reached our windows.
  void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_KEYDOWN || message.message == WM_KEYUP) {
        keysSeen_.push_back({message.message, message.wParam});
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  // Pumps until `done` holds; false when it does not within kPumpLimitMs.
  template <typename Done>
  bool PumpUntil(Done done) {
    const DWORD start = GetTickCount();
    for (Pump(); !done(); Pump()) {
      if (GetTickCount() - start > kPumpLimitMs) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
  }

  MenuTestDialog dialog_;
  std::vector<std::pair<UINT, WPARAM>> keysSeen_;
};

// --- The menu on its own ---

TEST_F(MenuWidgetsTest, AddItemKeepsTheFirstItemOfAnIdentifier) {
  CQuoBnMenu menu;
  CreateMenu(menu);
  menu.AddItem(5, L"First", 0, 1, 0);
  menu.AddItem(6, L"Second", 0, 1, 0);
  menu.AddItem(5, L"Again", 0, 0, 1);
  ASSERT_EQ(menu.Items().size(), 2u);
  EXPECT_EQ(menu.Items()[0].id, 5);
  EXPECT_EQ(menu.Items()[0].text, L"First");
  EXPECT_EQ(menu.Items()[0].enabled, 1);
  EXPECT_EQ(menu.Items()[0].hasSubmenu, 0);
  EXPECT_EQ(menu.Items()[1].id, 6);
}

TEST_F(MenuWidgetsTest, FindItemSearchesItsOwnItemsThenSubMenusDepthFirst) {
  CQuoBnMenu menu;
  CreateMenu(menu);
  menu.AddItem(1, L"top 1", 0, 1, 0);
  menu.AddItem(100, L"top 100", 0, 1, 1);
  menu.AddItem(300, L"top 300", 0, 1, 1);
  CQuoBnMenu* first = menu.GetSubMenu(100);
  CQuoBnMenu* second = menu.GetSubMenu(300);
  ASSERT_TRUE(first && second);
  first->AddItem(1, L"first 1", 0, 1, 0);
  first->AddItem(2, L"first 2", 0, 1, 1);
  first->AddItem(7, L"first 7", 0, 1, 0);
  CQuoBnMenu* deep = first->GetSubMenu(2);
  ASSERT_TRUE(deep);
  deep->AddItem(3, L"deep 3", 0, 1, 0);
  second->AddItem(3, L"second 3", 0, 1, 0);
  second->AddItem(7, L"second 7", 0, 1, 0);
  second->AddItem(9, L"second 9", 0, 1, 0);

  const struct {
    int id;
    const wchar_t* text;  // null: not found
  } cases[] = {{1, L"top 1"},     {100, L"top 100"}, {2, L"first 2"}, {7, L"first 7"},
               {3, L"deep 3"},    {9, L"second 9"},  {42, nullptr},   {-1, nullptr}};
  for (const auto& c : cases) {
    const QuoMenuItem* found = menu.FindItem(c.id);
    if (!c.text) {
      EXPECT_EQ(found, nullptr) << "id " << c.id;
      continue;
    }
    ASSERT_NE(found, nullptr) << "id " << c.id;
    EXPECT_EQ(found->text, c.text) << "id " << c.id;
  }
}

TEST_F(MenuWidgetsTest, GetSubMenuMakesEachSubMenuOnce) {
  CQuoBnMenu menu;
  CreateMenu(menu);
  CQuoBnMenu* sub = menu.GetSubMenu(21);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(menu.GetSubMenu(21), sub);
  EXPECT_EQ(sub->MenuId(), 21);
  EXPECT_EQ(sub->ParentMenu(), &menu);
  EXPECT_EQ(sub->Owner(), Dialog());
  EXPECT_TRUE(IsWindow(sub->GetSafeHwnd()));
  EXPECT_FALSE(sub->IsWindowVisible());

  CQuoBnMenu* other = menu.GetSubMenu(22);
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, sub);
  EXPECT_NE(other->GetSafeHwnd(), sub->GetSafeHwnd());
  EXPECT_EQ(menu.GetSubMenu(21), sub);
}

TEST_F(MenuWidgetsTest, LayoutGivesEachItemOneLineBelowAFourPixelMargin) {
  CQuoBnMenu menu;
  CreateMenu(menu);
  AddItems(menu, 10, 9);
  menu.LayoutItems();
  const RECT window = WindowRect(menu.GetSafeHwnd());
  const int width = kMenuStart.right - kMenuStart.left;
  EXPECT_EQ(window.left, kMenuStart.left);
  EXPECT_EQ(window.top, kMenuStart.top);
  EXPECT_EQ(window.right - window.left, width);
  EXPECT_EQ(window.bottom - window.top, 9 * kLineHeight + 8);
  for (int i = 0; i < 9; ++i) {
    const RECT& r = menu.Items()[static_cast<size_t>(i)].rect;
    EXPECT_EQ(r.left, 1) << "item " << i;
    EXPECT_EQ(r.top, 4 + kLineHeight * i) << "item " << i;
    EXPECT_EQ(r.right, width - 15) << "item " << i;
    EXPECT_EQ(r.bottom, 4 + kLineHeight * (i + 1)) << "item " << i;
  }
  EXPECT_FALSE(menu.IsWindowVisible());
}

TEST_F(MenuWidgetsTest, MenuWithoutItemsHidesAndDoesNotPopUp) {
  CQuoBnMenu menu;
  CreateMenu(menu);
  menu.PopupAt(PopupCorner::kTopLeft, 100, 100);
  EXPECT_FALSE(menu.IsWindowVisible());
  EXPECT_EQ(MenuHookWindow(), nullptr);

  AddItems(menu, 1, 2);
  menu.PopupAt(PopupCorner::kTopLeft, 100, 100);
  ASSERT_TRUE(menu.IsWindowVisible());
  menu.RemoveAllItems();
  menu.LayoutItems();
  EXPECT_FALSE(menu.IsWindowVisible());
  EXPECT_EQ(MenuHookWindow(), nullptr);
}

// How the ink of one item of a painted menu reads: text in the highlight's
// gold, text in the normal white, or none.
struct ItemInk {
  bool gold = false, white = false;
};

ItemInk InkOfItem(const testing::Canvas& canvas, const RECT& item, COLORREF box) {
  ItemInk ink;
  // Inside the one-pixel frame, which is gold all round.
  for (int y = std::max<int>(item.top, 1); y < std::min<int>(item.bottom, canvas.height() - 1); ++y) {
    for (int x = std::max<int>(item.left, 1); x < std::min<int>(item.right, canvas.width() - 1); ++x) {
      const COLORREF pixel = canvas.Pixel(x, y);
      if (pixel == box) continue;
      const int red = GetRValue(pixel), blue = GetBValue(pixel);
      // Smoothed edges blend the text into the box; the hue stays.
      if (red - blue > 64) ink.gold = true;
      if (std::abs(red - blue) < 16 && red > GetRValue(box) + 40) ink.white = true;
    }
  }
  return ink;
}

// The menu painted into a bitmap, as WM_PAINT paints it: the dark box in its
// gold frame, the highlighted item's text gold and every other item's white.
TEST_F(MenuWidgetsTest, PaintShowsOnlyTheHighlightedItemInTheHighlightLook) {
  constexpr COLORREF kBox = RGB(0x1A, 0x1A, 0x1A), kFrame = RGB(0xFD, 0xC4, 0x15);
  CQuoBnMenu menu;
  CreateMenu(menu);
  AddItems(menu, 1, 3);
  menu.LayoutItems();
  RECT client{};
  GetClientRect(menu.GetSafeHwnd(), &client);
  for (int highlighted : {-1, 0, 1, 2}) {
    SCOPED_TRACE(::testing::Message() << "item " << highlighted << " highlighted");
    menu.Highlight(highlighted);
    testing::Canvas canvas(client.right, client.bottom, RGB(255, 0, 255));
    menu.Paint(canvas.dc());
    EXPECT_EQ(canvas.Pixel(0, 0), kFrame);
    EXPECT_EQ(canvas.Pixel(client.right - 1, client.bottom - 1), kFrame);
    EXPECT_EQ(canvas.Pixel(client.right - 3, 2), kBox);
    for (int i = 0; i < static_cast<int>(menu.Items().size()); ++i) {
      SCOPED_TRACE(::testing::Message() << "item " << i);
      const ItemInk ink = InkOfItem(canvas, menu.Items()[static_cast<size_t>(i)].rect, kBox);
      EXPECT_EQ(ink.gold, i == highlighted);
      EXPECT_EQ(ink.white, i != highlighted);
    }
  }
}

TEST_F(MenuWidgetsTest, PopupAtPutsTheCornerOfItsModeAtThePoint) {
  CQuoBnMenu menu;
  CreateMenu(menu);
  AddItems(menu, 1, 3);
  const int width = kMenuStart.right - kMenuStart.left, height = 3 * kLineHeight + 8;
  constexpr POINT kAt{500, 300}, kBefore{40, 50};
  const struct {
    int mode;
    POINT topLeft;
  } cases[] = {
      {0, {kAt.x, kAt.y}},
      {2, {kAt.x, kAt.y - height}},
      {3, {kAt.x - width, kAt.y - height}},
      {1, kBefore},
      {4, kBefore},
      {-1, kBefore},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode);
    menu.Hide();
    SetWindowPos(menu.GetSafeHwnd(), nullptr, kBefore.x, kBefore.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    menu.Highlight(2);
    menu.PopupAt(static_cast<PopupCorner>(c.mode), kAt.x, kAt.y);
    const RECT r = WindowRect(menu.GetSafeHwnd());
    EXPECT_EQ(r.left, c.topLeft.x);
    EXPECT_EQ(r.top, c.topLeft.y);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
    EXPECT_TRUE(menu.IsWindowVisible());
    EXPECT_EQ(menu.HoverIndex(), -1);
    EXPECT_EQ(MenuHookWindow(), menu.GetSafeHwnd());
  }
}

// --- Clicks on the menu ---

TEST_F(MenuWidgetsTest, ReleaseOnAnItemChoosesOnlyAnEnabledPlainItem) {
  CQuoBnMenu menu;
  CreateMenu(menu);
  menu.AddItem(31, L"Plain", 0, 1, 0);
  menu.AddItem(32, L"Disabled", 0, 0, 0);
  menu.AddItem(33, L"Cascade", 0, 1, 1);
  menu.AddItem(34, L"Disabled cascade", 0, 0, 1);
  menu.GetSubMenu(33)->AddItem(1, L"inner", 0, 1, 0);

  const struct {
    const char* what;
    int index;
    std::vector<SysCommand> expected;
    bool staysOpen;
  } cases[] = {
      {"enabled item", 0, {kStayOnTopOn, kStayOnTopOff, ChoiceAfterClosing(kMenuId, 31)}, false},
      {"disabled item", 1, {kStayOnTopOn, kStayOnTopOff}, false},
      {"item with a sub-menu", 2, {}, true},
      {"disabled item with a sub-menu", 3, {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    menu.PopupAt(PopupCorner::kTopLeft, 300, 200);
    ASSERT_TRUE(menu.IsWindowVisible());
    dialog_.commands.clear();
    SendMouse(menu, WM_LBUTTONUP, c.index);
    EXPECT_EQ(dialog_.commands, c.expected);
    EXPECT_EQ(menu.IsWindowVisible(), c.staysOpen);
    EXPECT_EQ(MenuHookWindow(), c.staysOpen ? menu.GetSafeHwnd() : nullptr);
    menu.Hide();
  }
}

TEST_F(MenuWidgetsTest, OpeningAnotherMenuTreeClosesTheOpenOne) {
  CQuoBnMenu first, second;
  CreateMenu(first);
  CreateMenu(second);
  AddItems(first, 1, 2);
  AddItems(second, 11, 2);
  dialog_.watched = first.GetSafeHwnd();
  first.PopupAt(PopupCorner::kTopLeft, 300, 200);
  ASSERT_EQ(MenuHookWindow(), first.GetSafeHwnd());
  dialog_.commands.clear();
  second.PopupAt(PopupCorner::kTopLeft, 600, 200);
  EXPECT_FALSE(first.IsWindowVisible());
  EXPECT_TRUE(second.IsWindowVisible());
  EXPECT_EQ(MenuHookWindow(), second.GetSafeHwnd());
  EXPECT_EQ(dialog_.commands, (std::vector<SysCommand>{kStayOnTopOn, kStayOnTopOff}));
}

TEST_F(MenuWidgetsTest, DestroyingAnOpenMenuLeavesNoHook) {
  CQuoBnMenu menu;
  CreateMenu(menu);
  AddItems(menu, 1, 2);
  menu.PopupAt(PopupCorner::kTopLeft, 300, 200);
  ASSERT_EQ(MenuHookWindow(), menu.GetSafeHwnd());
  menu.DestroyWindow();
  EXPECT_EQ(MenuHookWindow(), nullptr);
}

TEST_F(MenuWidgetsTest, PressOutsideEveryItemClosesWithoutAChoice) {
  CQuoBnMenu menu;
  CreateMenu(menu);
  AddItems(menu, 40, 3);
  menu.PopupAt(PopupCorner::kTopLeft, 300, 200);
  const RECT client = menu.GetClientRect();
  const int firstLine = Centre(menu.Items()[0].rect).y;
  const struct {
    const char* what;
    POINT p;
    bool closes;
    int hoverIndex;
  } cases[] = {
      {"top-left frame", {0, 0}, true, -1},
      {"margin above the first item", {client.right / 2, 2}, true, -1},
      {"margin below the last item", {client.right / 2, client.bottom - 2}, true, -1},
      {"first pixel of the right strip", {client.right - 15, firstLine}, true, -1},
      {"inside the right strip", {client.right - 6, firstLine}, true, -1},
      {"last pixel of the item", {client.right - 16, firstLine}, false, 0},
      {"middle item", Centre(menu.Items()[1].rect), false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    menu.PopupAt(PopupCorner::kTopLeft, 300, 200);
    dialog_.commands.clear();
    SendMouse(menu.GetSafeHwnd(), WM_LBUTTONDOWN, c.p);
    EXPECT_EQ(menu.IsWindowVisible(), !c.closes);
    EXPECT_EQ(menu.HoverIndex(), c.hoverIndex);
    const std::vector<SysCommand> closing{kStayOnTopOn, kStayOnTopOff};
    EXPECT_EQ(dialog_.commands, c.closes ? closing : std::vector<SysCommand>{});
  }
}

// A menu of a plain item, a cascade with items and a disabled cascade, open
// at a fixed point.
class CascadeTest : public MenuWidgetsTest {
 protected:
  static constexpr int kPlain = 51, kCascade = 52, kDisabledCascade = 53;

  void SetUp() override {
    MenuWidgetsTest::SetUp();
    CreateMenu(menu_);
    menu_.AddItem(kPlain, L"Plain", 0, 1, 0);
    menu_.AddItem(kCascade, L"More", 0, 1, 1);
    menu_.AddItem(kDisabledCascade, L"Off", 0, 0, 1);
    sub_ = menu_.GetSubMenu(kCascade);
    ASSERT_TRUE(sub_);
    AddItems(*sub_, 60, 2);
    menu_.GetSubMenu(kDisabledCascade)->AddItem(70, L"unreachable", 0, 1, 0);
    menu_.PopupAt(PopupCorner::kTopLeft, 300, 200);
  }

  void OpenCascade() {
    SendMouse(menu_, WM_MOUSEMOVE, 1);
    ASSERT_TRUE(sub_->IsWindowVisible());
  }

  CQuoBnMenu menu_;
  CQuoBnMenu* sub_ = nullptr;
};

TEST_F(CascadeTest, MoveOntoACascadeOpensItsSubMenuBesideTheItem) {
  OpenCascade();
  const RECT parent = WindowRect(menu_.GetSafeHwnd());
  const RECT sub = WindowRect(sub_->GetSafeHwnd());
  EXPECT_EQ(sub.left, parent.right - 5);
  EXPECT_EQ(sub.top, parent.top + menu_.Items()[1].rect.top - 5);
  EXPECT_EQ(menu_.HoverIndex(), 1);
  EXPECT_EQ(MenuHookWindow(), sub_->GetSafeHwnd());

  dialog_.commands.clear();
  SendMouse(menu_, WM_MOUSEMOVE, 1);
  EXPECT_TRUE(sub_->IsWindowVisible());
  EXPECT_TRUE(dialog_.commands.empty()) << "the open sub-menu was closed and reopened";

  dialog_.watched = sub_->GetSafeHwnd();
  SendMouse(menu_, WM_MOUSEMOVE, 0);
  EXPECT_FALSE(sub_->IsWindowVisible());
  EXPECT_TRUE(menu_.IsWindowVisible());
  EXPECT_EQ(menu_.HoverIndex(), 0);
  EXPECT_EQ(MenuHookWindow(), menu_.GetSafeHwnd());
  EXPECT_EQ(dialog_.commands, (std::vector<SysCommand>{kStayOnTopOn, kStayOnTopOff}));

  SendMouse(menu_, WM_MOUSEMOVE, 2);
  EXPECT_FALSE(menu_.GetSubMenu(kDisabledCascade)->IsWindowVisible());
  EXPECT_EQ(menu_.HoverIndex(), 2);
}

TEST_F(CascadeTest, ChoiceInASubMenuClosesTheWholeTree) {
  OpenCascade();
  dialog_.watched = sub_->GetSafeHwnd();
  dialog_.commands.clear();
  SendMouse(*sub_, WM_LBUTTONUP, 1);
  ASSERT_GE(dialog_.commands.size(), 2u);
  EXPECT_EQ(dialog_.commands.back(), ChoiceAfterClosing(kCascade, 61));
  EXPECT_FALSE(sub_->IsWindowVisible());
  EXPECT_FALSE(menu_.IsWindowVisible());
  EXPECT_EQ(MenuHookWindow(), nullptr);
  const SysCommand& beforeChoice = dialog_.commands[dialog_.commands.size() - 2];
  EXPECT_EQ(beforeChoice.wParam, kStayOnTopRequest);
  EXPECT_EQ(beforeChoice.lParam, 0);
}

// --- Keys: the innermost open menu takes them through its dialog ---

// A key press as the dialog's message loop hands it over before dispatch.
bool PressKey(MenuTestDialog& dialog, HWND focus, UINT key) {
  MSG message{};
  message.hwnd = focus;
  message.message = WM_KEYDOWN;
  message.wParam = key;
  return dialog.PreTranslateMessage(message);
}

TEST_F(CascadeTest, KeysMoveTheHighlightOpenAndCloseTheSubMenuAndChoose) {
  HWND focus = Dialog();
  EXPECT_EQ(CQuoBnMenu::OpenMenuForKeys(), &menu_);
  EXPECT_EQ(menu_.HoverIndex(), -1);
  const struct {
    UINT key;
    int topHighlight;
    bool subOpen;
  } steps[] = {
      {VK_DOWN, 0, false},   // the first item
      {VK_DOWN, 1, false},   // the cascade, its sub-menu still closed
      {VK_DOWN, 0, false},   // past the disabled cascade, round to the top
      {VK_UP, 1, false},     // and back
      {VK_RIGHT, 1, true},   // opens the sub-menu on its first item
      {VK_LEFT, 1, false},   // closes it again
      {VK_RETURN, 1, true},  // Enter on a cascade opens it as Right does
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.key);
    EXPECT_TRUE(PressKey(dialog_, focus, step.key));
    EXPECT_EQ(menu_.HoverIndex(), step.topHighlight);
    EXPECT_EQ(sub_->IsWindowVisible(), step.subOpen);
    EXPECT_EQ(CQuoBnMenu::OpenMenuForKeys(), step.subOpen ? sub_ : &menu_);
    if (step.subOpen) {
      EXPECT_EQ(sub_->HoverIndex(), 0);
    }
  }
  // A letter is the menu's too: swallowed, nothing changes.
  EXPECT_TRUE(PressKey(dialog_, focus, 'A'));
  EXPECT_TRUE(sub_->IsWindowVisible());

  dialog_.commands.clear();
  dialog_.watched = sub_->GetSafeHwnd();
  EXPECT_TRUE(PressKey(dialog_, focus, VK_DOWN));
  EXPECT_TRUE(PressKey(dialog_, focus, VK_RETURN));
  ASSERT_FALSE(dialog_.commands.empty());
  EXPECT_EQ(dialog_.commands.back(), ChoiceAfterClosing(kCascade, 61));
  EXPECT_FALSE(menu_.IsWindowVisible());
  EXPECT_EQ(MenuHookWindow(), nullptr);
  EXPECT_EQ(CQuoBnMenu::OpenMenuForKeys(), nullptr);
  EXPECT_FALSE(PressKey(dialog_, focus, VK_DOWN)) << "a key with no menu open was kept";
}

TEST_F(CascadeTest, EscapeClosesTheInnermostMenuAndTabLeavesForTheDialog) {
  HWND focus = Dialog();
  PressKey(dialog_, focus, VK_DOWN);
  PressKey(dialog_, focus, VK_DOWN);
  PressKey(dialog_, focus, VK_RIGHT);
  ASSERT_TRUE(sub_->IsWindowVisible());
  dialog_.commands.clear();
  EXPECT_TRUE(PressKey(dialog_, focus, VK_ESCAPE));
  EXPECT_FALSE(sub_->IsWindowVisible());
  EXPECT_TRUE(menu_.IsWindowVisible());
  EXPECT_TRUE(PressKey(dialog_, focus, VK_ESCAPE));
  EXPECT_FALSE(menu_.IsWindowVisible());
  for (const SysCommand& command : dialog_.commands) EXPECT_EQ(command.wParam, kStayOnTopRequest) << "a choice";

  menu_.PopupAt(PopupCorner::kTopLeft, 300, 200);
  EXPECT_FALSE(PressKey(dialog_, focus, VK_TAB)) << "Tab must go on to the dialog";
  EXPECT_FALSE(menu_.IsWindowVisible());
}

// --- The hook event: a click somewhere on the screen ---

enum class Where { kOutside, kOnMenu, kOnParent };

TEST_F(CascadeTest, HookEventClosesOnlyOnALeftPressOutsideTheMenuTree) {
  const struct {
    const char* what;
    bool cascadeOpen;
    WPARAM mouseMessage;
    Where where;
    bool closes;
  } cases[] = {
      {"left press outside", false, WM_LBUTTONDOWN, Where::kOutside, true},
      {"right press outside", false, WM_RBUTTONDOWN, Where::kOutside, false},
      {"right release outside", false, WM_RBUTTONUP, Where::kOutside, false},
      {"left release outside", false, WM_LBUTTONUP, Where::kOutside, false},
      {"left press on the menu", false, WM_LBUTTONDOWN, Where::kOnMenu, false},
      {"left press on the parent of the open sub-menu", true, WM_LBUTTONDOWN, Where::kOnParent, false},
      {"left press on the open sub-menu", true, WM_LBUTTONDOWN, Where::kOnMenu, false},
      {"left press outside the open sub-menu and its parent", true, WM_LBUTTONDOWN, Where::kOutside, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    menu_.PopupAt(PopupCorner::kTopLeft, 300, 200);
    if (c.cascadeOpen) OpenCascade();
    HWND target = MenuHookWindow();
    ASSERT_EQ(target, c.cascadeOpen ? sub_->GetSafeHwnd() : menu_.GetSafeHwnd());
    // Corners inside the frames, over no item: the pointer's own moves
    // there must not open or close anything.
    const RECT targetRect = WindowRect(target), parentRect = WindowRect(menu_.GetSafeHwnd());
    const POINT onTarget{targetRect.left + 2, targetRect.top + 2};
    const POINT onParent{parentRect.left + 2, parentRect.top + 2};
    const POINT outside{parentRect.left + 2, parentRect.bottom + 40};
    const POINT cursor = c.where == Where::kOutside ? outside : c.where == Where::kOnMenu ? onTarget : onParent;
    ASSERT_TRUE(PointerAt(cursor));

    PostMessageW(target, kHookEventMessage, c.mouseMessage, 0);
    Pump();
    EXPECT_EQ(menu_.IsWindowVisible(), !c.closes);
    EXPECT_EQ(sub_->IsWindowVisible(), c.cascadeOpen && !c.closes);
    if (c.closes) {
      EXPECT_EQ(MenuHookWindow(), nullptr);
    } else {
      EXPECT_EQ(MenuHookWindow(), target);
    }
    menu_.Hide();
    EXPECT_EQ(MenuHookWindow(), nullptr);
  }
}

// --- The real hooks, fed by SendInput ---

void SendKey(WORD key, bool release) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof(input));
}

void SendMouseInput(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.mouseData = data;
  SendInput(1, &input, sizeof(input));
}

// F24: a key no window acts on.
TEST_F(MenuWidgetsTest, KeyboardHookPostsEveryPressAndReleaseAndPassesThemOn) {
  SetForegroundWindow(Dialog());
  SetFocus(dialog_.bnCombo.GetSafeHwnd());
  Pump();
  ASSERT_TRUE(InstallKeyboardCaptureHook(Dialog()));
  EXPECT_TRUE(KeyboardCaptureHookInstalled());
  keysSeen_.clear();
  SendKey(VK_F24, false);
  SendKey(VK_F24, true);
  ASSERT_TRUE(PumpUntil([&] { return dialog_.hookPosts.size() >= 2; }));
  const std::vector<std::pair<WPARAM, LPARAM>> expected{{VK_F24, 0}, {VK_F24, 0x80}};
  EXPECT_EQ(dialog_.hookPosts, expected);

  // Observed, not swallowed: the focused window gets the key as well.
  EXPECT_TRUE(PumpUntil([&] { return keysSeen_.size() >= 2; }));
  const std::vector<std::pair<UINT, WPARAM>> keys{{WM_KEYDOWN, VK_F24}, {WM_KEYUP, VK_F24}};
  EXPECT_EQ(keysSeen_, keys);

  RemoveKeyboardCaptureHook();
  EXPECT_FALSE(KeyboardCaptureHookInstalled());
}

TEST_F(MenuWidgetsTest, MenuMouseHookPostsButtonsButNeitherMovesNorWheelTurns) {
  // Over the dialog's empty body, where a right click does nothing.
  const RECT dialog = WindowRect(Dialog());
  ASSERT_TRUE(PointerAt(POINT{dialog.right - 10, dialog.bottom - 10}));
  Pump();
  ASSERT_TRUE(SetMenuHookWindow(Dialog()));
  EXPECT_EQ(MenuHookWindow(), Dialog());
  SendMouseInput(MOUSEEVENTF_MOVE, -1, 0);
  SendMouseInput(MOUSEEVENTF_WHEEL, 0, 0, WHEEL_DELTA);
  SendMouseInput(MOUSEEVENTF_MOVE, 1, 0);
  SendMouseInput(MOUSEEVENTF_RIGHTDOWN);
  SendMouseInput(MOUSEEVENTF_RIGHTUP);
  // Events reach the hook in order: once the release is in, so is the rest.
  ASSERT_TRUE(PumpUntil([&] {
    return !dialog_.hookPosts.empty() && dialog_.hookPosts.back().first == WM_RBUTTONUP;
  }));
  std::vector<WPARAM> messages;
  for (const auto& post : dialog_.hookPosts) messages.push_back(post.first);
  EXPECT_EQ(messages, (std::vector<WPARAM>{WM_RBUTTONDOWN, WM_RBUTTONUP}));

  RetargetMenuMouseHook(nullptr);
  RemoveMenuMouseHook();
  EXPECT_EQ(MenuHookWindow(), nullptr);
  RetargetMenuMouseHook(Dialog());
  EXPECT_EQ(MenuHookWindow(), nullptr) << "retargeting installed a hook";
}

// --- Combo buttons ---

class ComboTest : public MenuWidgetsTest {
 protected:
  void SetUp() override {
    MenuWidgetsTest::SetUp();
    button_ = dialog_.bnCombo.GetSafeHwnd();
    buttonRect_ = WindowRect(button_);
  }

  // Fills the button's menu with items 0, 1 and 2101..2103.
  void FillMenu() {
    for (const auto& [id, text] : kItems) dialog_.bnCombo.AddMenuItem(id, text);
    ASSERT_TRUE(dialog_.bnCombo.Menu());
    dialog_.watched = dialog_.bnCombo.Menu()->GetSafeHwnd();
  }

  void Press() { SendMouse(button_, WM_LBUTTONDOWN, POINT{5, 5}); }
  void Release() { SendMouse(button_, WM_LBUTTONUP, POINT{5, 5}); }
  bool MenuOpen() const { return dialog_.bnCombo.Menu() && dialog_.bnCombo.Menu()->IsWindowVisible(); }

  static inline const std::pair<int, const wchar_t*> kItems[] = {
      {0, L"Disable"}, {1, L"One"}, {2101, L"Left Click"}, {2102, L"Right Click"}, {2103, L"Middle Click"}};

  HWND button_ = nullptr;
  RECT buttonRect_{};
};

TEST_F(ComboTest, FirstAddMenuItemMakesTheMenuBelongingToTheButton) {
  CQuoBnComboButton& combo = dialog_.bnCombo;
  EXPECT_FALSE(combo.Menu());
  combo.AddMenuItem(7, L"Seven");
  ASSERT_TRUE(combo.Menu());
  CQuoBnMenu* menu = combo.Menu();
  const RECT menuRect = WindowRect(menu->GetSafeHwnd());
  EXPECT_EQ(menuRect.right - menuRect.left, buttonRect_.right - buttonRect_.left - 2);
  EXPECT_EQ(menu->Owner(), button_);
  EXPECT_FALSE(menu->IsWindowVisible());

  combo.AddMenuItem(8, L"Eight");
  combo.AddMenuItem(7, L"Again");
  EXPECT_EQ(combo.Menu(), menu);
  ASSERT_EQ(menu->Items().size(), 2u);
  EXPECT_EQ(menu->Items()[0].text, L"Seven");
  EXPECT_EQ(menu->Items()[0].enabled, 1);
  EXPECT_EQ(menu->Items()[0].hasSubmenu, 0);
}

TEST_F(ComboTest, SelectItemFollowsOnlyItemsOfItsMenu) {
  CQuoComboButton& withoutMenu = dialog_.combo;
  withoutMenu.SelectItem(1);
  EXPECT_EQ(withoutMenu.Label(), L"");
  EXPECT_EQ(withoutMenu.FunctionId(), -1);

  FillMenu();
  CQuoBnComboButton& combo = dialog_.bnCombo;
  const struct {
    int id;
    const wchar_t* label;
    int functionId;
  } steps[] = {{2102, L"Right Click", 2102}, {9999, L"Right Click", 2102}, {0, L"Disable", 0},
               {-1, L"Disable", 0},          {1, L"One", 1}};
  for (const auto& step : steps) {
    combo.SelectItem(step.id);
    EXPECT_EQ(combo.Label(), step.label) << "SelectItem(" << step.id << ")";
    EXPECT_EQ(combo.FunctionId(), step.functionId) << "SelectItem(" << step.id << ")";
  }
}

TEST_F(ComboTest, ClickOpensTheMenuBelowOrAboveTheButton) {
  FillMenu();
  CQuoBnComboButton& combo = dialog_.bnCombo;
  enum Opens { kBelow, kAbove, kNot };
  const struct {
    const char* what;
    int dropUp, menuEnabled;
    Opens opens;
  } cases[] = {
      {"drop-down", 0, 1, kBelow},
      {"drop-up", 1, 1, kAbove},
      {"menu disabled", 0, 0, kNot},
      {"menu disabled, drop-up", 1, 0, kNot},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    combo.Menu()->Hide();
    WidgetTestAccess::LastMenuTick(combo) = GetTickCount() - 10 * kMenuReopenGuardMs;
    combo.SetDropUp(c.dropUp != 0);
    combo.SetMenuEnabled(c.menuEnabled != 0);
    Press();
    EXPECT_EQ(combo.GetLook(), kLookDown) << "no pressed look";
    EXPECT_FALSE(MenuOpen());
    Release();
    EXPECT_EQ(combo.GetLook(), kLookNormal);
    ASSERT_EQ(MenuOpen(), c.opens != kNot);
    if (c.opens == kNot) continue;
    const RECT menu = WindowRect(combo.Menu()->GetSafeHwnd());
    EXPECT_EQ(menu.left, buttonRect_.left);
    if (c.opens == kBelow) {
      EXPECT_EQ(menu.top, buttonRect_.bottom);
    } else {
      EXPECT_EQ(menu.bottom, buttonRect_.top);
    }
    EXPECT_EQ(menu.bottom - menu.top, 5 * kLineHeight + 8);
    EXPECT_EQ(MenuHookWindow(), combo.Menu()->GetSafeHwnd());
  }
}

TEST_F(ComboTest, PressWhileTheMenuIsOpenClosesItForGood) {
  FillMenu();
  CQuoBnComboButton& combo = dialog_.bnCombo;
  Press();
  Release();
  ASSERT_TRUE(MenuOpen());
  // At once, before the button's timer has ticked: the opening counts as
  // seeing the menu open.
  Press();
  EXPECT_FALSE(MenuOpen());
  EXPECT_TRUE(WidgetTestAccess::SuppressesOpen(combo));
  Release();
  EXPECT_FALSE(MenuOpen()) << "the release reopened the menu";
  EXPECT_EQ(MenuHookWindow(), nullptr);

  // Long after the menu closed, a click opens it again.
  WidgetTestAccess::LastMenuTick(combo) = GetTickCount() - 10 * kMenuReopenGuardMs;
  Press();
  EXPECT_FALSE(WidgetTestAccess::SuppressesOpen(combo));
  Release();
  ASSERT_TRUE(MenuOpen());

  // The timer keeps noting that the menu is open while it stays open.
  WidgetTestAccess::LastMenuTick(combo) = 0;
  ASSERT_TRUE(PumpUntil([&] { return WidgetTestAccess::LastMenuTick(combo) != 0; }));
  Press();
  EXPECT_FALSE(MenuOpen());
  Release();
  EXPECT_FALSE(MenuOpen()) << "the release reopened the menu";
}

// A release opens the menu only when it ends a press that began on the
// button: a drag onto it from elsewhere, or a press that closed another menu
// lying over it, must not open its menu.
TEST_F(ComboTest, ReleaseOpensTheMenuOnlyForAPressBegunOnTheButton) {
  FillMenu();
  CQuoBnComboButton& combo = dialog_.bnCombo;
  const RECT client = combo.GetClientRect();
  const POINT inside{5, 5}, outside{client.right + 20, 5};
  struct Input {
    UINT message;
    POINT p;
    WPARAM keys;
  };
  const Input hover{WM_MOUSEMOVE, inside, 0}, press{WM_LBUTTONDOWN, inside, MK_LBUTTON};
  const Input dragIn{WM_MOUSEMOVE, inside, MK_LBUTTON}, dragOut{WM_MOUSEMOVE, outside, MK_LBUTTON};
  const struct {
    const char* what;
    std::vector<Input> before;  // what comes before the release inside
    bool opens;
  } cases[] = {
      {"press and release on the button", {hover, press}, true},
      {"release without a press", {hover}, false},
      {"dragged onto the button", {dragOut, dragIn}, false},
      {"press, out and back in", {hover, press, dragOut, dragIn}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    combo.Menu()->Hide();
    WidgetTestAccess::LastMenuTick(combo) = GetTickCount() - 10 * kMenuReopenGuardMs;
    for (const Input& input : c.before) SendMessageW(button_, input.message, input.keys, MAKELPARAM(input.p.x, input.p.y));
    SendMouse(button_, WM_LBUTTONUP, inside);
    EXPECT_EQ(MenuOpen(), c.opens);
    EXPECT_FALSE(WidgetTestAccess::PressBegunHere(combo));
    // The pointer leaves, so that the next case starts afresh.
    SendMouse(button_, WM_MOUSEMOVE, outside);
  }
}

// The label starts at its inset; one too long for the field stops short of
// the square arrow zone at the right instead of running under the arrow.
TEST_F(ComboTest, LongLabelStopsBeforeTheArrowZone) {
  constexpr COLORREF kBlank = RGB(1, 2, 3);
  constexpr int kWidth = 282, kHeight = 31, kInset = 7;
  for (const wchar_t* label : {L"Middle click", L"Shift+Ctrl+Alt+Win+Right CONTROL",
                               L"Shift+Ctrl+Alt+Win+PRINT SCREEN and more"}) {
    SCOPED_TRACE(::testing::Message() << std::string(label, label + wcslen(label)));
    dialog_.bnCombo.SetBinding(label, 1002 + 'A', 0);
    testing::Canvas canvas(kWidth, kHeight, kBlank);
    DRAWITEMSTRUCT item{};
    item.hDC = canvas.dc();
    item.rcItem = RECT{0, 0, kWidth, kHeight};
    dialog_.bnCombo.DrawItem(item);
    const RECT ink = canvas.InkBounds(kBlank);
    EXPECT_GE(ink.left, kInset);
    EXPECT_GT(ink.right, ink.left) << "no label drawn";
    EXPECT_LE(ink.right, kWidth - kHeight) << "the label runs under the arrow";
  }
}

TEST_F(ComboTest, ChoiceInTheMenuBecomesTheLabelAndReachesTheParent) {
  FillMenu();
  CQuoBnComboButton& combo = dialog_.bnCombo;
  combo.SelectItem(1);
  Press();
  Release();
  ASSERT_TRUE(MenuOpen());
  dialog_.commands.clear();
  SendMouse(*combo.Menu(), WM_LBUTTONUP, 3);
  const std::vector<SysCommand> expected{kStayOnTopOn, kStayOnTopOff, ChoiceAfterClosing(IDC_TEST_BN_COMBO, 2102)};
  EXPECT_EQ(dialog_.commands, expected);
  EXPECT_EQ(combo.Label(), L"Right Click");
  EXPECT_EQ(combo.FunctionId(), 2102);
  EXPECT_FALSE(MenuOpen());
  EXPECT_EQ(MenuHookWindow(), nullptr);
}

TEST_F(ComboTest, ParentThatKeepsItsOwnResultLeavesLabelAndIdentifier) {
  FillMenu();
  CQuoBnComboButton& combo = dialog_.bnCombo;
  combo.SelectItem(2101);
  dialog_.keepOwnResult = true;
  SendMessageW(button_, WM_SYSCOMMAND, static_cast<WPARAM>(combo.Menu()->MenuId()), 2103);
  EXPECT_EQ(dialog_.commands, (std::vector<SysCommand>{{IDC_TEST_BN_COMBO, 2103, false}}));
  EXPECT_EQ(combo.Label(), L"Left Click");
  EXPECT_EQ(combo.FunctionId(), 2101);
  EXPECT_TRUE(combo.AdoptsSelection());

  // Only that one choice: the next one is adopted again.
  dialog_.keepOwnResult = false;
  SendMessageW(button_, WM_SYSCOMMAND, static_cast<WPARAM>(combo.Menu()->MenuId()), 2103);
  EXPECT_EQ(combo.Label(), L"Middle Click");
  EXPECT_EQ(combo.FunctionId(), 2103);
}

TEST_F(ComboTest, KeysOpenTheMenuOnTheCurrentItemAndChooseAnother) {
  FillMenu();
  CQuoBnComboButton& combo = dialog_.bnCombo;
  combo.SelectItem(2102);
  for (UINT key : {UINT{VK_SPACE}, UINT{VK_RETURN}, UINT{VK_F4}}) {
    SCOPED_TRACE(key);
    SendMessageW(button_, WM_KEYDOWN, key, 0);
    ASSERT_TRUE(MenuOpen());
    EXPECT_EQ(combo.Menu()->HoverIndex(), 3) << "not on the current item";
    // The same key again closes it.
    SendMessageW(button_, WM_KEYDOWN, key, 0);
    EXPECT_FALSE(MenuOpen());
  }
  SendMessageW(button_, WM_SYSKEYDOWN, VK_DOWN, 0);
  ASSERT_TRUE(MenuOpen());
  dialog_.commands.clear();
  EXPECT_TRUE(PressKey(dialog_, button_, VK_DOWN));
  EXPECT_TRUE(PressKey(dialog_, button_, VK_RETURN));
  EXPECT_FALSE(MenuOpen());
  EXPECT_EQ(combo.Label(), L"Middle Click");
  EXPECT_EQ(combo.FunctionId(), 2103);
  ASSERT_FALSE(dialog_.commands.empty());
  EXPECT_EQ(dialog_.commands.back(), ChoiceAfterClosing(IDC_TEST_BN_COMBO, 2103));

  combo.SetMenuEnabled(false);
  SendMessageW(button_, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_FALSE(MenuOpen()) << "a fixed button opened its menu";
}

TEST_F(ComboTest, AMenuOverAHiddenButtonTakesNoKeysAndTheButtonsWindowClosesIt) {
  FillMenu();
  CQuoBnComboButton& combo = dialog_.bnCombo;
  combo.SelectItem(2101);
  // Hidden with the window that holds it (a page the window hides), the
  // button's open menu closes at the next key, which goes on untouched.
  SendMessageW(button_, WM_KEYDOWN, VK_SPACE, 0);
  ASSERT_TRUE(MenuOpen());
  ShowWindow(button_, SW_HIDE);
  dialog_.commands.clear();
  EXPECT_FALSE(PressKey(dialog_, Dialog(), VK_DOWN));
  EXPECT_FALSE(PressKey(dialog_, Dialog(), VK_RETURN));
  EXPECT_FALSE(MenuOpen());
  EXPECT_EQ(MenuHookWindow(), nullptr);
  for (const SysCommand& command : dialog_.commands) EXPECT_EQ(command.wParam, kStayOnTopRequest) << "a choice";
  EXPECT_EQ(combo.FunctionId(), 2101);
  ShowWindow(button_, SW_SHOW);

  // The window that holds the button closes its menu; another control does not.
  SendMessageW(button_, WM_KEYDOWN, VK_SPACE, 0);
  ASSERT_TRUE(MenuOpen());
  CloseMenusOwnedBy(dialog_.combo.GetSafeHwnd());
  EXPECT_TRUE(MenuOpen());
  CloseMenusOwnedBy(Dialog());
  EXPECT_FALSE(MenuOpen());
  EXPECT_EQ(MenuHookWindow(), nullptr);
}

TEST_F(ComboTest, StayOnTopRequestPassesUpUnchanged) {
  // Items 0 and 1 exist: the request's lParam must not be taken for them.
  FillMenu();
  CQuoBnComboButton& combo = dialog_.bnCombo;
  SendMessageW(button_, WM_SYSCOMMAND, kStayOnTopRequest, 1);
  SendMessageW(button_, WM_SYSCOMMAND, kStayOnTopRequest, 0);
  const std::vector<SysCommand> expected{{kStayOnTopRequest, 1, false}, {kStayOnTopRequest, 0, false}};
  EXPECT_EQ(dialog_.commands, expected);
  EXPECT_EQ(combo.Label(), L"");
  EXPECT_EQ(combo.FunctionId(), -1);
}

// A choice is known by the item it names. Its wParam, the sending menu's
// identifier (a tick count), may look like a system command; the button must
// not act on it as one.
TEST_F(ComboTest, ChoiceThatLooksLikeASystemCommandDoesNotActOnTheButton) {
  FillMenu();
  CQuoBnComboButton& combo = dialog_.bnCombo;
  const int ownIdentifier = combo.Menu()->MenuId();
  const struct {
    const char* what;
    WPARAM command;
    bool isMenuIdentifier;  // the menu's identifier happens to be this value
  } cases[] = {
      {"minimise", SC_MINIMIZE, true}, {"maximise", SC_MAXIMIZE, true}, {"close", SC_CLOSE, true},
      {"move", SC_MOVE, true},         {"size", SC_SIZE, true},         {"minimise", SC_MINIMIZE, false},
      {"maximise", SC_MAXIMIZE, false}, {"close", SC_CLOSE, false},      {"move", SC_MOVE, false},
  };
  size_t itemIndex = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.what << (c.isMenuIdentifier ? " as the menu's identifier" : ""));
    const auto& [id, text] = kItems[itemIndex++ % std::size(kItems)];
    WidgetTestAccess::MenuId(*combo.Menu()) = c.isMenuIdentifier ? static_cast<int>(c.command) : ownIdentifier;
    dialog_.commands.clear();
    SendMessageW(button_, WM_SYSCOMMAND, c.command, id);
    Pump();
    ASSERT_TRUE(IsWindow(button_));
    EXPECT_FALSE(IsIconic(button_));
    EXPECT_FALSE(IsZoomed(button_));
    EXPECT_TRUE(IsWindowVisible(button_));
    const RECT now = WindowRect(button_);
    EXPECT_TRUE(EqualRect(&now, &buttonRect_));
    EXPECT_EQ(dialog_.commands, (std::vector<SysCommand>{{IDC_TEST_BN_COMBO, id, false}}));
    EXPECT_EQ(combo.Label(), text);
    EXPECT_EQ(combo.FunctionId(), id);
  }
}

TEST_F(ComboTest, ChoiceFromASubMenuIsTakenLikeAnyOther) {
  FillMenu();
  CQuoBnComboButton& combo = dialog_.bnCombo;
  CQuoBnMenu* sub = combo.Menu()->GetSubMenu(2101);
  ASSERT_TRUE(sub);
  sub->AddItem(3001, L"Deep", 0, 1, 0);
  SendMessageW(button_, WM_SYSCOMMAND, static_cast<WPARAM>(sub->MenuId()), 3001);
  EXPECT_EQ(dialog_.commands, (std::vector<SysCommand>{{IDC_TEST_BN_COMBO, 3001, false}}));
  EXPECT_EQ(combo.Label(), L"Deep");
  EXPECT_EQ(combo.FunctionId(), 3001);
}

TEST_F(ComboTest, EachKindLaysOutItsMenuItemsAsWide) {
  CQuoComboButton& plain = dialog_.combo;
  // The plain kind builds no menu of its own: without one a click opens nothing.
  SendMouse(plain.GetSafeHwnd(), WM_LBUTTONDOWN, POINT{5, 5});
  SendMouse(plain.GetSafeHwnd(), WM_LBUTTONUP, POINT{5, 5});
  EXPECT_EQ(MenuHookWindow(), nullptr);

  plain.SetMenu(std::make_unique<CQuoBnMenu>());
  const RECT plainRect = WindowRect(plain.GetSafeHwnd());
  ASSERT_TRUE(plain.Menu()->Create(nullptr, L"menu", 0, RECT{0, 0, plainRect.right - plainRect.left - 2, 10},
                                 plain.GetSafeHwnd(), kMenuId));
  AddItems(*plain.Menu(), 1, 3);
  FillMenu();

  const struct {
    const char* what;
    ComboButtonBase& button;
    int strip;
  } cases[] = {{"CQuoBnComboButton", dialog_.bnCombo, 15}, {"CQuoComboButton", plain, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WidgetTestAccess::LastMenuTick(c.button) = GetTickCount() - 10 * kMenuReopenGuardMs;
    SendMouse(c.button.GetSafeHwnd(), WM_LBUTTONDOWN, POINT{5, 5});
    SendMouse(c.button.GetSafeHwnd(), WM_LBUTTONUP, POINT{5, 5});
    ASSERT_TRUE(c.button.Menu()->IsWindowVisible());
    const RECT menu = WindowRect(c.button.Menu()->GetSafeHwnd());
    for (const QuoMenuItem& item : c.button.Menu()->Items()) {
      EXPECT_EQ(item.rect.right, menu.right - menu.left - c.strip) << "item " << item.id;
    }
    // A press just inside the right edge lands on an item only where items
    // reach the edge.
    const POINT nearEdge{menu.right - menu.left - 2, Centre(c.button.Menu()->Items()[0].rect).y};
    SendMouse(c.button.Menu()->GetSafeHwnd(), WM_LBUTTONDOWN, nearEdge);
    EXPECT_EQ(c.button.Menu()->IsWindowVisible(), c.strip == 0);
    c.button.Menu()->Hide();
  }
}

}  // namespace
}  // namespace korvid
