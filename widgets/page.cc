#include "widgets/page.h"

#include "widgets/quo_bn_menu.h"

namespace korvid {

CPage::CPage(int templateId, framework::CWnd* parent, PageHost& host)
    : CZebImageDialog(templateId, parent), host_(host) {}

void CPage::AttachApplyFeedback(CZebButton& button, SkinSheet busySheet, const SkinRect& confirmationRect,
                                bool marksUnapplied) {
  applyFeedback_.Attach(button, *this, busySheet, confirmationRect);
  hasApplyFeedback_ = true;
  marksUnapplied_ = marksUnapplied;
}

INT_PTR CPage::RunChoicePopup(framework::CDialogEx& popup) {
  if (choicePopup_) return -1;
  choicePopup_ = &popup;
  const INT_PTR result = popup.DoModal();
  choicePopup_ = nullptr;
  return result;
}

void CPage::DropPendingChoices() {
  CloseMenusOwnedBy(GetSafeHwnd());
  // Ended as its own Cancel would be, whatever the pop-up does on OK.
  if (choicePopup_) choicePopup_->EndDialog(IDCANCEL);
}

INT_PTR CPage::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  struct Handling {
    int& depth;
    explicit Handling(int& d) : depth(d) { ++depth; }
    ~Handling() { --depth; }
    Handling(const Handling&) = delete;
    Handling& operator=(const Handling&) = delete;
  } handling(handling_);
  if (message == kApplyProgressMessage && hasApplyFeedback_) {
    applyFeedback_.Show(static_cast<ApplyProgress>(wParam));
    return TRUE;
  }
  if (message == WM_WINDOWPOSCHANGED &&
      (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW)) {
    // A page shown is drawn whole, its controls with it, before anything
    // else runs: painted control by control from the message loop, it would
    // show for a moment with some of its controls still missing.
    RedrawWindow(GetSafeHwnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
  }
  if (message == kUnappliedChangesMessage) {
    if (marksUnapplied_) applyFeedback_.ShowUnapplied(wParam != 0);
    return TRUE;
  }
  if (message == WM_SYSCOMMAND && wParam == kStayOnTopRequest) {
    SendMessageW(GetParent(), WM_SYSCOMMAND, wParam, lParam);
    SetMessageResult(0);
    return TRUE;
  }
  const INT_PTR handled = CZebImageDialog::DialogProc(message, wParam, lParam);
  if (message == WM_COMMAND || message == WM_SYSCOMMAND) host_.PageChanged();
  return handled;
}

}  // namespace korvid
