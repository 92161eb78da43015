#pragma once
#include "support/notices.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"
#include "widgets/zeb_static.h"

namespace korvid {

// The third answer of a notice: Cancel of Apply / Discard / Cancel. Yes,
// OK and Apply give kAnswerYes; No and Discard kAnswerNo
// (support/pop_system_message_dlg.h).
inline constexpr INT_PTR kAnswerCancel = 3;

// A modal pop-up in the skin of the message pop-ups that shows a Notice:
// its headline and text are drawn onto the notice sheet, wrapped to its
// width (a long path breaks where it must, so it shows whole). The title
// is the headline and the label holds the text, for accessibility tools.
// Escape gives the last answer (OK gives Yes; No; Cancel).
class CNoticePopup : public CZebImageDialog {
 public:
  CNoticePopup(Notice notice, framework::CWnd* parent);

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  void OnOK() override {}
  void OnCancel() override;

 private:
  Notice notice_;
  CZebButton closeButton_, noButton_, yesButton_;
  CZebStatic label_;
};

}  // namespace korvid
