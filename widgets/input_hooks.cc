#include "widgets/input_hooks.h"

#include "framework/handles.h"
#include "framework/window.h"

namespace korvid {
namespace {

struct HookSlot {
  framework::UniqueHook hook;
  HWND window = nullptr;
};

// Used by the UI thread only: the hooks are installed from it and the system
// calls their procedures on it.
HookSlot keyboardSlot;
HookSlot menuSlot;

LRESULT CALLBACK KeyboardCaptureProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && lParam) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    PostMessageW(keyboardSlot.window, kHookEventMessage, key->vkCode, key->flags & LLKHF_UP);
  }
  return CallNextHookEx(keyboardSlot.hook.get(), code, wParam, lParam);
}

LRESULT CALLBACK MenuMouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && wParam != WM_MOUSEMOVE && wParam != WM_MOUSEWHEEL) {
    PostMessageW(menuSlot.window, kHookEventMessage, wParam, lParam);
  }
  return CallNextHookEx(menuSlot.hook.get(), code, wParam, lParam);
}

bool Install(HookSlot& slot, int kind, HOOKPROC procedure, HWND target) {
  if (!slot.hook) {
    slot.hook.reset(SetWindowsHookExW(kind, procedure, framework::ModuleInstance(), 0));
    if (!slot.hook) return false;
  }
  slot.window = target;
  return true;
}

void Remove(HookSlot& slot) {
  slot.hook.reset();
  slot.window = nullptr;
}

}  // namespace

bool InstallKeyboardCaptureHook(HWND target) {
  return Install(keyboardSlot, WH_KEYBOARD_LL, KeyboardCaptureProc, target);
}
void RemoveKeyboardCaptureHook() { Remove(keyboardSlot); }
bool KeyboardCaptureHookInstalled() { return keyboardSlot.hook != nullptr; }

bool SetMenuHookWindow(HWND target) { return Install(menuSlot, WH_MOUSE_LL, MenuMouseProc, target); }
void RetargetMenuMouseHook(HWND target) {
  if (menuSlot.hook) menuSlot.window = target;
}
void RemoveMenuMouseHook() { Remove(menuSlot); }
HWND MenuHookWindow() { return menuSlot.hook ? menuSlot.window : nullptr; }

}  // namespace korvid
