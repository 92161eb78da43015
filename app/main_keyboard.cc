// The main window's keys: Ctrl+Tab and Ctrl+Shift+Tab switch pages, and the
// keyboard focus never stays behind on a page that was hidden.
#include <iterator>

#include "app/main_dialog.h"
#include "buttons/button_assignment_dlg.h"
#include "sensor/advanced_settings_dlg.h"
#include "support/help_page.h"
#include "support/support_update_dlg.h"

namespace korvid {

bool CMobrinDlg::PreTranslateMessage(MSG& message) {
  if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000)) {
    SwitchPage((GetKeyState(VK_SHIFT) & 0x8000) ? -1 : +1);
    return true;
  }
  return CZebImageDialog::PreTranslateMessage(message);
}

void CMobrinDlg::SwitchPage(int step) {
  struct PageAndButton {
    framework::CDialogEx* page;
    CZebButton* button;
  };
  // In the order of the page buttons along the top.
  const PageAndButton pages[] = {{buttonPage_.get(), &buttonSettingButton_},
                                 {sensorPage_.get(), &advancedButton_},
                                 {supportPage_.get(), &supportButton_},
                                 {helpPage_.get(), &helpButton_}};
  constexpr int kCount = static_cast<int>(std::size(pages));
  int current = -1;
  for (int i = 0; i < kCount; ++i) {
    if (pages[i].button->IsSelected()) current = i;
  }
  // Without a mouse the page buttons are off and there is nothing to switch to.
  if (current < 0 || !pages[current].button->IsWindowEnabled()) return;
  HWND focus = GetFocus();
  bool focusOnPageButton = false;
  for (const PageAndButton& entry : pages) focusOnPageButton |= focus == entry.button->GetSafeHwnd();
  const PageAndButton& next = pages[(current + step + kCount) % kCount];
  ShowPage(*next.page, *next.button);
  HWND first = focusOnPageButton ? nullptr : GetNextDlgTabItem(next.page->GetSafeHwnd(), nullptr, FALSE);
  SetFocus(first && IsChild(next.page->GetSafeHwnd(), first) ? first : next.button->GetSafeHwnd());
}

void CMobrinDlg::KeepFocusOnShownControls() {
  HWND focus = GetFocus();
  if (!focus || !IsChild(GetSafeHwnd(), focus) || ::IsWindowVisible(focus)) return;
  for (CZebButton* button : {&buttonSettingButton_, &advancedButton_, &supportButton_, &helpButton_}) {
    if (button->IsSelected() && button->IsWindowEnabled()) {
      SetFocus(button->GetSafeHwnd());
      return;
    }
  }
  SetFocus(minimiseButton_.GetSafeHwnd());
}

}  // namespace korvid
