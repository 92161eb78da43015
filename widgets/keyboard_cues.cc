#include "widgets/keyboard_cues.h"

namespace korvid {
namespace {

bool CuesHidden(HWND window) { return (SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0; }

}  // namespace

void InitialiseKeyboardCues(HWND topLevel) {
  HWND owner = GetWindow(topLevel, GW_OWNER);
  const bool shown = owner && !CuesHidden(owner);
  SendMessageW(topLevel, WM_CHANGEUISTATE, MAKEWPARAM(shown ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS), 0);
}

void ShowKeyboardCues(HWND window) {
  HWND root = GetAncestor(window, GA_ROOT);
  if (!root || !CuesHidden(root)) return;
  SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

bool IsNavigationKey(UINT virtualKey) {
  switch (virtualKey) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_SPACE:
    case VK_RETURN:
      return true;
    default:
      return false;
  }
}

}  // namespace korvid
