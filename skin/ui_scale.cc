#include "skin/ui_scale.h"

#include "framework/handles.h"
#include "skin/sheets.h"

namespace korvid {
namespace {

int uiDpi = kLogicalDpi;

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using SetDialogDpiChangeBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);
// DDC_DISABLE_ALL: no resizing, no font change, no control repositioning.
constexpr int kDialogDpiChangeDisableAll = 1;

template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

// Windows 10 1607 and later; looked up so that older systems still start.
GetDpiForWindowFunction GetDpiForWindowIfPresent() {
  static const auto function = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  return function;
}

}  // namespace

int UiDpi() { return uiDpi; }

void SetUiDpi(int dpi) {
  if (dpi <= 0) dpi = kLogicalDpi;
  if (dpi == uiDpi) return;
  uiDpi = dpi;
  ReleaseSkinSheets();
}

int Scaled(int logical) { return ScaleToDpi(logical, uiDpi); }

SkinRect Scaled(const SkinRect& logical) { return ScaleToDpi(logical, uiDpi); }

RECT ScaledRect(const SkinRect& logical) {
  const SkinRect r = Scaled(logical);
  return RECT{r.left, r.top, r.right, r.bottom};
}

Gdiplus::REAL ScaledF(Gdiplus::REAL logical) {
  return logical * static_cast<Gdiplus::REAL>(uiDpi) / static_cast<Gdiplus::REAL>(kLogicalDpi);
}


int DpiOfWindow(HWND window) {
  if (window) {
    if (const auto getDpiForWindow = GetDpiForWindowIfPresent()) {
      const UINT dpi = getDpiForWindow(window);
      if (dpi > 0) return static_cast<int>(dpi);
    }
  }
  return SystemDpi();
}

void KeepOwnLayoutAtDpiChanges(HWND dialog) {
  // Windows 10 1703 and later.
  static const auto setBehaviour = User32Function<SetDialogDpiChangeBehaviorFunction>("SetDialogDpiChangeBehavior");
  if (setBehaviour && dialog) setBehaviour(dialog, kDialogDpiChangeDisableAll, kDialogDpiChangeDisableAll);
}

int SystemDpi() {
  framework::WindowDc screen(nullptr);
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? dpi : kLogicalDpi;
}

}  // namespace korvid
