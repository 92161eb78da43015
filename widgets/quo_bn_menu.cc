#include "widgets/quo_bn_menu.h"

#include <windowsx.h>

#include "skin/text.h"
#include "skin/ui_scale.h"
#include "widgets/input_hooks.h"
#include "widgets/window_messages.h"

namespace korvid {
namespace {

constexpr wchar_t kMenuClassName[] = L"KorvidQuoMenu";
constexpr DWORD kMenuStyle = WS_POPUP | WS_BORDER | WS_SYSMENU;
constexpr int kTextIndent = 10;
constexpr int kSubmenuOverlap = 5;

bool RegisterMenuClass() {
  static const bool registered = framework::CWnd::RegisterStandardClass(kMenuClassName);
  return registered;
}

POINT PointFrom(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

RECT ToRect(const PixelRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

CQuoBnMenu::CQuoBnMenu() : font_(CreateArialFont(16, FW_NORMAL)) {}

CQuoBnMenu::~CQuoBnMenu() {
  // The owner may be going too: no requests to it, only the hook is let go
  // when it still reports to this menu tree.
  HWND hookWindow = MenuHookWindow();
  if (hookWindow && HoldsWindow(hookWindow)) RemoveMenuMouseHook();
}

bool CQuoBnMenu::HoldsWindow(HWND window) const {
  if (window == GetSafeHwnd()) return true;
  for (const auto& subMenu : subMenus_) {
    if (subMenu->HoldsWindow(window)) return true;
  }
  return false;
}

bool CQuoBnMenu::Create(const wchar_t*, const wchar_t* windowName, DWORD, const RECT& rect, HWND parent,
                        int controlId) {
  if (GetSafeHwnd() || !RegisterMenuClass()) return false;
  if (!CreateEx(WS_EX_NOACTIVATE, kMenuClassName, windowName, kMenuStyle, rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top, parent, nullptr)) {
    return false;
  }
  ModifyStyle(WS_CAPTION, 0);
  SetWindowPos(GetSafeHwnd(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  menuId_ = controlId;
  owner_ = parent;
  return true;
}

void CQuoBnMenu::AddItem(int id, const std::wstring& text, int reserved, int enabled, int hasSubmenu) {
  for (const QuoMenuItem& item : items_) {
    if (item.id == id) return;
  }
  QuoMenuItem item;
  item.id = id;
  item.text = text;
  item.reserved = reserved;
  item.enabled = enabled;
  item.hasSubmenu = hasSubmenu;
  items_.push_back(std::move(item));
}

QuoMenuItem* CQuoBnMenu::FindItem(int id) {
  for (QuoMenuItem& item : items_) {
    if (item.id == id) return &item;
  }
  for (const auto& subMenu : subMenus_) {
    if (QuoMenuItem* found = subMenu->FindItem(id)) return found;
  }
  return nullptr;
}

void CQuoBnMenu::RemoveAllItems() {
  items_.clear();
  hoverIndex_ = -1;
}

int CQuoBnMenu::Height() const {
  RECT window{};
  GetWindowRect(GetSafeHwnd(), &window);
  return window.bottom - window.top;
}

void CQuoBnMenu::LayoutItems() {
  HWND window = GetSafeHwnd();
  if (!window) return;
  if (items_.empty()) {
    Hide();
    return;
  }
  RECT bounds{};
  GetWindowRect(window, &bounds);
  int textHeight = 0;
  {
    framework::WindowDc dc(window);
    framework::SelectObjectGuard select(dc.get(), font_.get());
    SIZE extent{};
    const std::wstring& text = items_.front().text;
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    textHeight = extent.cy;
    if (textHeight <= 0) {
      // An empty first text measures nothing: a line of the font instead.
      TEXTMETRICW metrics{};
      GetTextMetricsW(dc.get(), &metrics);
      textHeight = metrics.tmHeight;
    }
  }
  const int width = bounds.right - bounds.left;
  const MenuLayout layout = LayoutMenu(static_cast<int>(items_.size()), textHeight, width, itemRightStrip_, UiDpi());
  for (size_t i = 0; i < items_.size(); ++i) items_[i].rect = ToRect(layout.items[i]);
  SetWindowPos(window, nullptr, bounds.left, bounds.top, width, layout.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void CQuoBnMenu::PopupAt(PopupCorner corner, int x, int y) {
  HWND window = GetSafeHwnd();
  if (!window) return;
  LayoutItems();
  hoverIndex_ = -1;
  RECT bounds{};
  GetWindowRect(window, &bounds);
  if (const auto origin = PopupOrigin(corner, {x, y}, bounds.right - bounds.left, bounds.bottom - bounds.top)) {
    SetWindowPos(window, nullptr, origin->x, origin->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LayoutItems();
  if (items_.empty()) return;
  // Shown without taking the activation from the program's window.
  ShowWindow(SW_SHOWNA);
  Invalidate(false);
  TakeMouseHook();
}

CQuoBnMenu* CQuoBnMenu::Root() {
  CQuoBnMenu* root = this;
  while (root->parentMenu_) root = root->parentMenu_;
  return root;
}

void CQuoBnMenu::TakeMouseHook() {
  HWND current = MenuHookWindow();
  if (current && current != GetSafeHwnd()) {
    if (auto* other = dynamic_cast<CQuoBnMenu*>(FromHandle(current)); other && other->Root() != Root()) {
      other->Root()->Hide();
    }
  }
  SetMenuHookWindow(GetSafeHwnd());
}

void CQuoBnMenu::SendStayOnTop(int on) const {
  if (owner_) SendMessageW(owner_, WM_SYSCOMMAND, kStayOnTopRequest, on);
}

void CQuoBnMenu::Hide() {
  if (!IsWindowVisible()) return;
  SendStayOnTop(1);
  ShowWindow(SW_HIDE);
  if (parentMenu_) parentMenu_->Hide();
  HideSubmenus();
  SendStayOnTop(0);
  if (!parentMenu_) RemoveMenuMouseHook();
}

void CQuoBnMenu::HideSubmenus() {
  for (const auto& subMenu : subMenus_) {
    if (!subMenu->IsWindowVisible()) continue;
    SendStayOnTop(1);
    subMenu->HideSubmenus();
    subMenu->ShowWindow(SW_HIDE);
    SendStayOnTop(0);
  }
  // Only an installed hook follows: a menu tree that has closed keeps none.
  RetargetMenuMouseHook(GetSafeHwnd());
}

CQuoBnMenu* CQuoBnMenu::GetSubMenu(int id) {
  for (const auto& subMenu : subMenus_) {
    if (subMenu->menuId_ == id) return subMenu.get();
  }
  auto subMenu = std::make_unique<CQuoBnMenu>();
  if (!subMenu->Create(nullptr, L"menu", 0, ScaledRect(RectAt(0, 0, 50, 10)), owner_, id)) return nullptr;
  subMenu->parentMenu_ = this;
  subMenu->owner_ = owner_;
  subMenu->SetItemRightStrip(itemRightStrip_);
  subMenus_.push_back(std::move(subMenu));
  return subMenus_.back().get();
}

int CQuoBnMenu::HitTest(POINT p) const {
  std::vector<PixelRect> rects;
  rects.reserve(items_.size());
  for (const QuoMenuItem& item : items_) rects.push_back(ToPixelRect(item.rect));
  return HitTestItems(rects, {p.x, p.y});
}

void CQuoBnMenu::Paint(HDC dc) const {
  const RECT client = GetClientRect();
  framework::GdiObject<HBRUSH> background(CreateSolidBrush(ArgbToColorref(backgroundColour_)));
  framework::GdiObject<HBRUSH> frame(CreateSolidBrush(ArgbToColorref(frameColour_)));
  FillRect(dc, &client, background.get());
  FrameRect(dc, &client, frame.get());
  for (size_t i = 0; i < items_.size(); ++i) {
    RECT textRect = items_[i].rect;
    OffsetRect(&textRect, Scaled(kTextIndent), 0);
    const Gdiplus::ARGB colour = static_cast<int>(i) == hoverIndex_ ? highlightColour_ : textColour_;
    DrawTextCentered(dc, items_[i].text, ArgbToColorref(colour), false, true, textRect, font_.get());
  }
}

void CQuoBnMenu::OnPaint() {
  PAINTSTRUCT paint{};
  HDC target = BeginPaint(GetSafeHwnd(), &paint);
  const RECT client = GetClientRect();
  framework::MemoryDc memory(target);
  framework::BitmapHandle bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
  if (memory && bitmap) {
    framework::SelectObjectGuard select(memory.get(), bitmap.get());
    Paint(memory.get());
    BitBlt(target, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  }
  EndPaint(GetSafeHwnd(), &paint);
}

void CQuoBnMenu::OnMouseMove(POINT p) {
  const int index = HitTest(p);
  if (index < 0) return;
  const QuoMenuItem& item = items_[static_cast<size_t>(index)];
  if (item.hasSubmenu && item.enabled) {
    if (index == hoverIndex_) return;
    OpenSubmenu(index);
  } else {
    HideSubmenus();
  }
  if (index != hoverIndex_) {
    hoverIndex_ = index;
    Invalidate(false);
  }
}

void CQuoBnMenu::OnButtonDown(POINT p) {
  hoverIndex_ = HitTest(p);
  if (hoverIndex_ < 0) Hide();
  Invalidate(false);
}

void CQuoBnMenu::OpenSubmenu(int index) {
  HideSubmenus();
  const QuoMenuItem& item = items_[static_cast<size_t>(index)];
  RECT bounds{};
  GetWindowRect(GetSafeHwnd(), &bounds);
  const int itemTop = item.rect.top;
  CQuoBnMenu* subMenu = GetSubMenu(item.id);
  if (subMenu && !subMenu->items_.empty()) {
    const int overlap = Scaled(kSubmenuOverlap);
    subMenu->PopupAt(PopupCorner::kTopLeft, bounds.right - overlap, bounds.top + itemTop - overlap);
  }
}

void CQuoBnMenu::Highlight(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) return;
  hoverIndex_ = index;
  Invalidate(false);
}

int CQuoBnMenu::NextEnabledItem(int index, int step) const {
  const int count = static_cast<int>(items_.size());
  if (count == 0) return -1;
  int candidate = index < 0 ? (step > 0 ? -1 : count) : index;
  for (int tried = 0; tried < count; ++tried) {
    candidate = (candidate + step + count) % count;
    if (items_[static_cast<size_t>(candidate)].enabled) return candidate;
  }
  return -1;
}

CQuoBnMenu* CQuoBnMenu::OpenMenuForKeys() {
  auto* menu = dynamic_cast<CQuoBnMenu*>(FromHandle(MenuHookWindow()));
  if (!menu || !menu->IsWindowVisible()) return nullptr;
  // A control's menu left open over a control no longer shown (its page was
  // hidden) is stale: it closes rather than take keys meant for the window.
  CQuoBnMenu* root = menu->Root();
  HWND owner = root->Owner();
  if (owner && (GetWindowLongW(owner, GWL_STYLE) & WS_CHILD) && !::IsWindowVisible(owner)) {
    root->Hide();
    return nullptr;
  }
  return menu;
}

void CloseMenusOwnedBy(HWND window) {
  auto* menu = dynamic_cast<CQuoBnMenu*>(CQuoBnMenu::FromHandle(MenuHookWindow()));
  if (!menu) return;
  CQuoBnMenu* root = menu;
  while (root->ParentMenu()) root = root->ParentMenu();
  HWND owner = root->Owner();
  if (owner && (owner == window || IsChild(window, owner))) root->Hide();
}

bool CQuoBnMenu::OnKey(UINT virtualKey) {
  switch (virtualKey) {
    case VK_DOWN:
    case VK_UP: {
      const int next = NextEnabledItem(hoverIndex_, virtualKey == VK_DOWN ? +1 : -1);
      if (next >= 0 && next != hoverIndex_) {
        // The sub-menu of the item left behind closes, as it does for the pointer.
        HideSubmenus();
        Highlight(next);
      }
      return true;
    }
    case VK_RIGHT:
      if (hoverIndex_ >= 0 && items_[static_cast<size_t>(hoverIndex_)].hasSubmenu &&
          items_[static_cast<size_t>(hoverIndex_)].enabled) {
        OpenSubmenu(hoverIndex_);
        if (CQuoBnMenu* subMenu = GetSubMenu(items_[static_cast<size_t>(hoverIndex_)].id)) {
          subMenu->Highlight(subMenu->NextEnabledItem(-1, +1));
        }
      }
      return true;
    case VK_LEFT:
    case VK_ESCAPE:
      if (parentMenu_) {
        parentMenu_->HideSubmenus();
      } else if (virtualKey == VK_ESCAPE) {
        Hide();
      }
      return true;
    case VK_RETURN:
    case VK_SPACE:
      if (hoverIndex_ >= 0) ChooseItem(hoverIndex_);
      return true;
    default:
      return false;
  }
}

void CQuoBnMenu::ChooseItem(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  const QuoMenuItem& chosen = items_[static_cast<size_t>(index)];
  if (chosen.hasSubmenu) {
    if (!chosen.enabled) return;
    OpenSubmenu(index);
    if (CQuoBnMenu* subMenu = GetSubMenu(chosen.id)) subMenu->Highlight(subMenu->NextEnabledItem(-1, +1));
    return;
  }
  const QuoMenuItem* item = FindItem(chosen.id);
  if (!item) return;
  Choose(*item);
}

void CQuoBnMenu::Choose(const QuoMenuItem& item) {
  // The owner may change the menu while it handles the choice.
  const int id = item.id;
  const bool chooses = item.enabled && owner_;
  // The menu is gone before the owner hears of the choice: a pop-up the
  // owner opens for it is never shown beside a menu that could open another.
  Hide();
  if (chooses) SendMessageW(owner_, WM_SYSCOMMAND, static_cast<WPARAM>(menuId_), id);
}

void CQuoBnMenu::OnButtonUp(POINT p) {
  hoverIndex_ = -1;
  const int index = HitTest(p);
  if (index < 0) return;
  const QuoMenuItem* item = FindItem(items_[static_cast<size_t>(index)].id);
  // An item with a sub-menu keeps the menu open.
  if (!item || item->hasSubmenu) return;
  Choose(*item);
}

bool CQuoBnMenu::ContainsCursor(POINT cursor) const {
  for (const CQuoBnMenu* menu = this; menu; menu = menu->parentMenu_) {
    RECT bounds{};
    GetWindowRect(menu->GetSafeHwnd(), &bounds);
    if (PtInRect(&bounds, cursor)) return true;
  }
  return false;
}

void CQuoBnMenu::OnHookEvent(WPARAM mouseMessage) {
  if (mouseMessage != WM_LBUTTONDOWN || !IsWindowVisible()) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  if (!ContainsCursor(cursor)) Hide();
}

LRESULT CQuoBnMenu::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_MOUSEMOVE: {
      const LRESULT result = Default(message, wParam, lParam);
      OnMouseMove(PointFrom(lParam));
      return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const LRESULT result = Default(message, wParam, lParam);
      OnButtonDown(PointFrom(lParam));
      return result;
    }
    case WM_LBUTTONUP: {
      const LRESULT result = Default(message, wParam, lParam);
      OnButtonUp(PointFrom(lParam));
      return result;
    }
    case kHookEventMessage:
      OnHookEvent(wParam);
      return 1;
    case WM_SYSCOMMAND: {
      if (owner_) SendMessageW(owner_, message, wParam, lParam);
      Hide();
      return Default(message, wParam, lParam);
    }
    case WM_CLOSE:
      // A menu is reused: closing it hides it.
      Hide();
      return 0;
    case WM_DESTROY:
      // Destroyed while open (its owner went first): the hook must not stay
      // behind reporting to a window that no longer exists.
      if (MenuHookWindow() == GetSafeHwnd()) {
        if (parentMenu_ && parentMenu_->IsWindowVisible()) {
          RetargetMenuMouseHook(parentMenu_->GetSafeHwnd());
        } else {
          RemoveMenuMouseHook();
        }
      }
      return CWnd::WindowProc(message, wParam, lParam);
    default:
      return CWnd::WindowProc(message, wParam, lParam);
  }
}

}  // namespace korvid
