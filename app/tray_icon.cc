#include "app/tray_icon.h"

#include <shellapi.h>

#include <cwchar>
#include <iterator>

#include "framework/window.h"
#include "skin/ui_scale.h"
#include "widgets/menu_rules.h"

namespace korvid {
namespace {

constexpr wchar_t kTrayTip[] = L"Korvid Configuration Software";
constexpr SkinRect kTrayMenuRect = RectAt(0, 0, 105, 10);

}  // namespace

void TrayIcon::Add(HWND window, HICON icon) {
  window_ = window;
  record_ = NOTIFYICONDATAW{};
  record_.cbSize = sizeof(record_);
  record_.hWnd = window;
  record_.uID = kTrayIconId;
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record_.uCallbackMessage = kTrayIconMessage;
  record_.hIcon = icon;
  wcsncpy(record_.szTip, kTrayTip, std::size(record_.szTip) - 1);
  added_ = Shell_NotifyIconW(NIM_ADD, &record_) != FALSE;
  taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
}

void TrayIcon::Remove() {
  if (!added_) return;
  Shell_NotifyIconW(NIM_DELETE, &record_);
  added_ = false;
}

bool TrayIcon::OnTaskbarCreated(UINT message) {
  if (taskbarCreatedMessage_ == 0 || message != taskbarCreatedMessage_) return false;
  // Without the icon a hidden window could not be brought back nor the
  // program ended.
  added_ = Shell_NotifyIconW(NIM_ADD, &record_) != FALSE;
  return true;
}

bool TrayIcon::IsMenuChoice(WPARAM command) const {
  return menu_ && static_cast<int>(command) == menu_->MenuId();
}

void TrayIcon::OpenMenu(bool fromKeyboard) {
  if (fromKeyboard && menu_ && menu_->IsWindowVisible()) return;
  if (!menu_) {
    auto menu = std::make_unique<CQuoBnMenu>();
    if (!menu->Create(nullptr, L"menu", 0, ScaledRect(kTrayMenuRect), window_, static_cast<int>(GetTickCount()))) {
      return;
    }
    menu->SetOwner(window_);
    menu->AddItem(kTrayConfigMouse, L"Config Mouse", 0, 1, 0);
    menu->AddItem(kTrayExitSoftware, L"Exit Software", 0, 1, 0);
    menu_ = std::move(menu);
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  HWND menuWindow = menu_->GetSafeHwnd();
  SetWindowPos(menuWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Laid out first for its size; its top-left corner then follows from the cursor.
  menu_->LayoutItems();
  RECT bounds{};
  GetWindowRect(menuWindow, &bounds);
  const PixelRect workArea = ToPixelRect(framework::WorkAreaOf(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST)));
  const PixelPoint origin =
      TrayMenuOrigin({cursor.x, cursor.y}, bounds.right - bounds.left, bounds.bottom - bounds.top, workArea);
  SetForegroundWindow(window_);
  menu_->PopupAt(PopupCorner::kTopLeft, origin.x, origin.y);
}

}  // namespace korvid
