#include "widgets/page.h"

namespace korvid {

CPage::CPage(int templateId, framework::CWnd* parent, PageHost& host)
    : CZebImageDialog(templateId, parent), host_(host) {}

void CPage::AttachApplyFeedback(CZebButton& button, SkinSheet busySheet, const SkinRect& confirmationRect) {
  applyFeedback_.Attach(button, *this, busySheet, confirmationRect);
  hasApplyFeedback_ = true;
}

INT_PTR CPage::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kApplyProgressMessage && hasApplyFeedback_) {
    applyFeedback_.Show(static_cast<ApplyProgress>(wParam));
    return TRUE;
  }
  if (message == WM_SYSCOMMAND && wParam == kStayOnTopRequest) {
    SendMessageW(GetParent(), WM_SYSCOMMAND, wParam, lParam);
    SetMessageResult(0);
    return TRUE;
  }
  return CZebImageDialog::DialogProc(message, wParam, lParam);
}

}  // namespace korvid
