#include "support/pop_system_message_dlg.h"

#include "res/resource.h"
#include "skin/elements.h"
#include "skin/sheets.h"
#include "widgets/skin_layout.h"

namespace korvid {
namespace {

constexpr SkinRect kYesRect{202, 187, 292, 223};
constexpr SkinRect kNoRect{299, 187, 389, 222};
constexpr int kNoMouseOkElement = 363;

}  // namespace

CPopSystemMessageDlg::CPopSystemMessageDlg(int kind, framework::CWnd* parent)
    : CZebImageDialog(IDD_SYSTEM_MESSAGE, parent), kind_(kind) {}

void CPopSystemMessageDlg::DoDataExchange() {
  BindControls({{closeButton_, IDC_MESSAGE_CLOSE}, {noButton_, IDC_MESSAGE_NO}, {yesButton_, IDC_MESSAGE_YES},
                {label_, IDC_MESSAGE_LABEL}});
}

BOOL CPopSystemMessageDlg::OnInitDialog() {
  CZebImageDialog::OnInitDialog();
  // The default button has the focus, so Enter answers with it; Escape
  // answers No (OnCancel). The restore question defaults to No, since Yes
  // overwrites the user's settings.
  if (kind_ == kMessageNoMouse) {
    LayOutNoMouse();
    SetFocus(yesButton_.GetSafeHwnd());
  } else {
    LayOutQuestion();
    SetFocus(noButton_.GetSafeHwnd());
  }
  return FALSE;
}

void CPopSystemMessageDlg::LayOutQuestion() {
  // The window title is not drawn (the pop-up has no caption) but names the
  // window to the task switcher and to accessibility tools.
  SetWindowText(L"Restore default settings");
  if (!SkinLoaded()) LoadSkin();
  SetBackground(SkinSheetImage(kSystemMsgNormal));
  closeButton_.ShowWindow(SW_HIDE);
  // The question is part of the sheet; the label has nothing to add, and a
  // visible label would cover the sheet's wording.
  label_.SetText(L"");
  label_.ShowWindow(SW_HIDE);
  PlaceSkinnedButton(noButton_, kNoRect, kSystemMsgNormal, kSystemMsgOver, kSystemMsgDown);
  PlaceSkinnedButton(yesButton_, kYesRect, kSystemMsgNormal, kSystemMsgOver, kSystemMsgDown);
}

void CPopSystemMessageDlg::LayOutNoMouse() {
  SetWindowText(L"No mouse found");
  SetBackground(GetSkinElementImage(kMessageNoMouse, kSkinNormal, {}).get());
  closeButton_.ShowWindow(SW_HIDE);
  label_.ShowWindow(SW_HIDE);
  PlaceControl(yesButton_, kNoRect);
  yesButton_.SetImages(GetSkinElementImage(kNoMouseOkElement, kSkinNormal, kNoRect).Take(),
                       GetSkinElementImage(kNoMouseOkElement, kSkinOver, kYesRect).Take(),
                       GetSkinElementImage(kNoMouseOkElement, kSkinPressed, kYesRect).Take());
  // The No button has no part in this notice; without images it would be
  // an invisible spot that still answers a click.
  noButton_.ShowWindow(SW_HIDE);
}

bool CPopSystemMessageDlg::OnCommand(int controlId, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;
  switch (controlId) {
    case IDC_MESSAGE_YES:
      EndDialog(kAnswerYes);
      return true;
    case IDC_MESSAGE_NO:
    case IDC_MESSAGE_CLOSE:
      EndDialog(kAnswerNo);
      return true;
    default:
      return false;
  }
}

}  // namespace korvid
