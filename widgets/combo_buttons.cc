#include "widgets/combo_buttons.h"

#include "skin/text.h"
#include "skin/ui_scale.h"
#include "widgets/window_messages.h"

namespace korvid {
namespace {

constexpr UINT_PTR kMenuTimer = 1;
// Pixels kept free between a long label and the arrow zone, which is as
// wide as the field is high.
constexpr LONG kArrowZoneGap = 6;
constexpr UINT kMenuTimerMs = 100;

constexpr ComboButtonStyle kBnComboStyle{FW_NORMAL, 0xFFFDC415, 7, kComboMenuRightStrip};
constexpr ComboButtonStyle kComboStyle{FW_BOLD, 0xFF0000FF, 10, 0};

}  // namespace

ComboButtonBase::ComboButtonBase(const ComboButtonStyle& style)
    : style_(style), font_(CreateArialFont(16, style.fontWeight)), highlightColour_(style.highlightColour) {}

void ComboButtonBase::SelectItem(int id) {
  if (!menu_) return;
  const QuoMenuItem* item = menu_->FindItem(id);
  if (!item) return;
  functionId_ = id;
  ShowLabel(item->text);
}

void ComboButtonBase::ShowLabel(const std::wstring& text) {
  label_ = text;
  SetWindowText(accessibleName_.empty() ? label_ : accessibleName_ + L": " + label_);
  Repaint();
}

void ComboButtonBase::PreSubclassWindow() {
  HWND window = GetSafeHwnd();
  std::wstring caption(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  caption.resize(static_cast<size_t>(GetWindowTextW(window, caption.data(), static_cast<int>(caption.size()))));
  accessibleName_ = caption;
  CZebButton::PreSubclassWindow();
}

void ComboButtonBase::PressFromKeyboard() {
  if (!IsWindowEnabled() || !menuEnabled_ || !menu_) return;
  if (menu_->IsWindowVisible()) {
    menu_->Hide();
    return;
  }
  SetTimer(GetSafeHwnd(), kMenuTimer, kMenuTimerMs, nullptr);
  OpenMenu();
  if (!menu_->IsWindowVisible()) return;
  lastMenuTick_ = GetTickCount();
  int current = 0;
  for (size_t i = 0; i < menu_->Items().size(); ++i) {
    if (menu_->Items()[i].id == functionId_) current = static_cast<int>(i);
  }
  menu_->Highlight(current);
}

bool ComboButtonBase::OnKeyDown(UINT message, WPARAM key) {
  const bool altDown = message == WM_SYSKEYDOWN && (key == VK_DOWN || key == VK_UP);
  if (key == VK_SPACE || key == VK_RETURN || key == VK_F4 || altDown) {
    PressFromKeyboard();
    return true;
  }
  return false;
}

void ComboButtonBase::OnPress(WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = Default(WM_LBUTTONDOWN, wParam, lParam);
  ShowPressed(true);
  pressBegunHere_ = true;
  if (menu_) menu_->Hide();
  Repaint();
  suppressOpen_ = SuppressesMenuOpen(GetTickCount(), lastMenuTick_);
}

void ComboButtonBase::OnRelease(WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = Default(WM_LBUTTONUP, wParam, lParam);
  ShowPressed(false);
  Repaint();
  const bool ownPress = pressBegunHere_;
  pressBegunHere_ = false;
  if (ownPress && menuEnabled_ && menu_ && !suppressOpen_) {
    suppressOpen_ = true;
    SetTimer(GetSafeHwnd(), kMenuTimer, kMenuTimerMs, nullptr);
    OpenMenu();
    // Seen open now, not only at the timer's first tick: a press that comes
    // sooner closes the menu rather than reopening it.
    if (menu_->IsWindowVisible()) lastMenuTick_ = GetTickCount();
  }
}

void ComboButtonBase::OpenMenu() {
  RECT button{};
  GetWindowRect(GetSafeHwnd(), &button);
  menu_->SetItemRightStrip(style_.menuRightStrip);
  menu_->LayoutItems();
  const bool up = ComboMenuOpensUp(dropUp_, ToPixelRect(button), menu_->Height(), ToPixelRect(framework::WorkAreaOf(MonitorFromWindow(GetSafeHwnd(), MONITOR_DEFAULTTONEAREST))));
  if (up) {
    menu_->PopupAt(PopupCorner::kBottomLeft, button.left, button.top);
  } else {
    menu_->PopupAt(PopupCorner::kTopLeft, button.left, button.bottom);
  }
}

void ComboButtonBase::OnMenuTimer() {
  if (menu_ && menu_->IsWindowVisible()) {
    lastMenuTick_ = GetTickCount();
  } else {
    // Found closed: the last tick already holds when it was last seen open,
    // and a timer left running would wake the program for nothing.
    KillTimer(GetSafeHwnd(), kMenuTimer);
  }
}

bool ComboButtonBase::OnMenuChoice(LPARAM itemId) {
  if (!menu_) return false;
  const int id = static_cast<int>(itemId);
  const QuoMenuItem* item = menu_->FindItem(id);
  if (!item) return false;
  // The parent may rebuild the menu while it handles the choice.
  const std::wstring text = item->text;
  SendMessageW(GetParent(), WM_SYSCOMMAND, static_cast<WPARAM>(GetDlgCtrlID()), id);
  if (adoptSelection_) {
    functionId_ = id;
    ShowLabel(text);
  } else {
    // The parent kept a result of its own this time.
    adoptSelection_ = true;
  }
  return true;
}

LRESULT ComboButtonBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnPress(wParam, lParam, result);
      return result;
    case WM_LBUTTONUP:
      OnRelease(wParam, lParam, result);
      return result;
    case WM_MOUSEMOVE:
      result = CZebButton::WindowProc(message, wParam, lParam);
      // The pointer left: a press begun here ends without this button's
      // release (the capture has gone), so a later one cannot count it.
      if (!IsTracking()) pressBegunHere_ = false;
      return result;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // The menu opens from the keyboard at once, not on a release as the
      // standard button's Space would click.
      if (OnKeyDown(message, wParam)) return 0;
      return CZebButton::WindowProc(message, wParam, lParam);
    case WM_TIMER:
      if (wParam == kMenuTimer) OnMenuTimer();
      return Default(message, wParam, lParam);
    case WM_SYSCOMMAND:
      if (wParam == kStayOnTopRequest) {
        SendMessageW(GetParent(), WM_SYSCOMMAND, wParam, lParam);
        return 0;
      }
      // A choice is known by its item, whichever menu of the tree sent it.
      // It is not a system command: passed on, a menu identifier that
      // happened to look like one (move, size, close) would act on the button.
      if (OnMenuChoice(lParam)) return 0;
      return Default(message, wParam, lParam);
    default:
      return CZebButton::WindowProc(message, wParam, lParam);
  }
}

void ComboButtonBase::DrawItem(const DRAWITEMSTRUCT& item) {
  CZebButton::DrawItem(item);
  RECT textRect = item.rcItem;
  textRect.left += Scaled(style_.labelInset);
  const COLORREF colour = ArgbToColorref(GetLook() == kLookOver ? highlightColour_ : textColour_);
  if (LabelFits(item.hDC, item.rcItem)) {
    DrawTextCentered(item.hDC, label_, colour, false, true, textRect, font_.get());
    return;
  }
  // A label longer than its field (four modifiers and a long key name) ends
  // in an ellipsis before the field's square arrow zone at the right, rather
  // than running under the arrow.
  textRect.right -= (item.rcItem.bottom - item.rcItem.top) + Scaled(kArrowZoneGap);
  framework::SelectObjectGuard select(item.hDC, font_.get());
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, colour);
  DrawTextW(item.hDC, label_.c_str(), static_cast<int>(label_.size()), &textRect,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

bool ComboButtonBase::LabelFits(HDC dc, const RECT& field) const {
  framework::SelectObjectGuard select(dc, font_.get());
  SIZE extent{};
  GetTextExtentPoint32W(dc, label_.c_str(), static_cast<int>(label_.size()), &extent);
  const LONG room =
      field.right - field.left - Scaled(style_.labelInset) - (field.bottom - field.top) - Scaled(kArrowZoneGap);
  return extent.cx <= room;
}

CQuoBnComboButton::CQuoBnComboButton() : ComboButtonBase(kBnComboStyle) {}

void CQuoBnComboButton::AddMenuItem(int id, const std::wstring& text) {
  if (!Menu()) {
    RECT button{};
    GetWindowRect(GetSafeHwnd(), &button);
    auto created = std::make_unique<CQuoBnMenu>();
    const RECT rect{0, 0, button.right - button.left - 2, 10};
    if (!created->Create(nullptr, L"menu_", 0, rect, GetSafeHwnd(), static_cast<int>(GetTickCount()))) return;
    created->SetOwner(GetSafeHwnd());
    SetMenu(std::move(created));
  }
  Menu()->AddItem(id, text, 0, 1, 0);
}

void CQuoBnComboButton::SetBinding(const std::wstring& text, int id, int bindingModifiers) {
  modifiers_ = bindingModifiers;
  ShowChoice(id, text);
}

CQuoComboButton::CQuoComboButton() : ComboButtonBase(kComboStyle) {}

}  // namespace korvid
