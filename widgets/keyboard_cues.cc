#include "widgets/keyboard_cues.h"

#include "skin/focus_mark.h"

namespace korvid {

void InitialiseKeyboardCues(HWND topLevel) {
  HWND owner = GetWindow(topLevel, GW_OWNER);
  SetKeyboardCuesShown(topLevel, owner && KeyboardCuesShown(GetAncestor(owner, GA_ROOT)));
}

void ShowKeyboardCues(HWND window) {
  HWND root = GetAncestor(window, GA_ROOT);
  if (!root || KeyboardCuesShown(root)) return;
  SetKeyboardCuesShown(root, true);
  // The focused control draws its mark now.
  RedrawWindow(root, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
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
