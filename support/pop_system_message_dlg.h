#pragma once
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"
#include "widgets/zeb_static.h"

namespace korvid {

// Message kinds of the pop-up: the skin element of its background.
inline constexpr int kMessageRestoreDefaults = 249;
inline constexpr int kMessageNoMouse = 362;

inline constexpr INT_PTR kAnswerYes = 1;
inline constexpr INT_PTR kAnswerNo = 2;

// A modal pop-up for one message: the restore-defaults question (Yes gives
// 1, No or Close 2) or the notice that no mouse was found.
class CPopSystemMessageDlg : public CZebImageDialog {
 public:
  CPopSystemMessageDlg(int kind, framework::CWnd* parent);

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  void OnOK() override {}
  void OnCancel() override { EndDialog(kAnswerNo); }

 private:
  void LayOutQuestion();
  void LayOutNoMouse();

  int kind_;
  CZebButton closeButton_, noButton_, yesButton_;
  CZebStatic label_;
};

}  // namespace korvid
