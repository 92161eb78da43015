#pragma once
#include <memory>

#include "framework/win32.h"
#include "widgets/quo_bn_menu.h"
#include "widgets/window_messages.h"

namespace korvid {

// The icon calls its window back with kTrayIconMessage (widgets/window_messages.h).
inline constexpr UINT kTrayIconId = 128;
// The items of the tray menu.
inline constexpr int kTrayConfigMouse = 300;
inline constexpr int kTrayExitSoftware = 301;

// The program's icon in the notification area, and its menu. The window it
// belongs to gets the icon's callbacks and the menu's choices (as
// WM_SYSCOMMAND with the menu's identifier) and decides what they do.
class TrayIcon {
 public:
  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon() { Remove(); }

  // Adds the icon for `window`; a failure is not reported (the program then
  // has no icon until the shell restarts).
  void Add(HWND window, HICON icon);
  void Remove();
  // A restarted shell has an empty tray: when `message` is its broadcast the
  // icon is added again and the answer is true.
  bool OnTaskbarCreated(UINT message);
  // Opens the menu, made on first use, with its bottom-right corner at the
  // cursor, and makes the window the foreground one so that the menu's keys
  // reach the program even while the window is hidden (Down then highlights
  // its first item). From the keyboard a menu already open stays as it is.
  void OpenMenu(bool fromKeyboard);
  // Whether a WM_SYSCOMMAND with this wParam is a choice from the menu.
  bool IsMenuChoice(WPARAM command) const;

 private:
  HWND window_ = nullptr;
  NOTIFYICONDATAW record_{};
  bool added_ = false;
  // Broadcast by the shell when it (re)starts and its tray is empty.
  UINT taskbarCreatedMessage_ = 0;
  std::unique_ptr<CQuoBnMenu> menu_;
};

}  // namespace korvid
