// The main window's keys: Ctrl+Tab and Ctrl+Shift+Tab switch pages, and the
// keyboard focus never stays behind on a page that was hidden.
#include <vector>

#include "app/main_dialog.h"
#include "widgets/page.h"

namespace korvid {

bool CMobrinDlg::PreTranslateMessage(MSG& message) {
  if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000)) {
    SwitchPage((GetKeyState(VK_SHIFT) & 0x8000) ? -1 : +1);
    return true;
  }
  return CZebImageDialog::PreTranslateMessage(message);
}

void CMobrinDlg::SwitchPage(int step) {
  // The pages with a button, in the order of the buttons along the top.
  std::vector<Page*> pages;
  for (Page& page : pages_) {
    if (page.row->buttonId) pages.push_back(&page);
  }
  const int count = static_cast<int>(pages.size());
  int current = -1;
  for (int i = 0; i < count; ++i) {
    if (pages[i]->button.IsSelected()) current = i;
  }
  // Without a mouse only the pages that need none are switched between.
  if (current < 0 || !pages[current]->button.IsWindowEnabled()) return;
  int nextIndex = (current + step + count) % count;
  while (!pages[nextIndex]->button.IsWindowEnabled()) nextIndex = (nextIndex + step + count) % count;
  if (nextIndex == current) return;
  HWND focus = GetFocus();
  bool focusOnPageButton = false;
  for (const Page* page : pages) focusOnPageButton |= focus == page->button.GetSafeHwnd();
  Page& next = *pages[nextIndex];
  ShowPage(next);
  HWND shown = next.page->GetSafeHwnd();
  HWND first = focusOnPageButton ? nullptr : GetNextDlgTabItem(shown, nullptr, FALSE);
  SetFocus(first && IsChild(shown, first) ? first : next.button.GetSafeHwnd());
}

void CMobrinDlg::KeepFocusOnShownControls() {
  HWND focus = GetFocus();
  if (!focus || !IsChild(GetSafeHwnd(), focus) || ::IsWindowVisible(focus)) return;
  for (Page& page : pages_) {
    if (page.row->buttonId && page.button.IsSelected() && page.button.IsWindowEnabled()) {
      SetFocus(page.button.GetSafeHwnd());
      return;
    }
  }
  SetFocus(minimiseButton_.GetSafeHwnd());
}

}  // namespace korvid
