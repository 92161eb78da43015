#include "buttons/button_assignment_dlg.h"

#include "res/resource.h"
#include "skin/sheets.h"
#include "widgets/skin_layout.h"

namespace korvid {
namespace {
const SkinRect kApplyRect = RectAt(686, 426, 219, 61);
}  // namespace

CButtonAssignmentDlg::CButtonAssignmentDlg(framework::CWnd* parent, PageHost& host)
    : CZebImageDialog(IDD_BUTTON_PAGE, parent), host_(host) {}

void CButtonAssignmentDlg::DoDataExchange() { applyButton_.SubclassDlgItem(IDC_BUTTON_PAGE_APPLY, *this); }

BOOL CButtonAssignmentDlg::OnInitDialog() {
  CZebImageDialog::OnInitDialog();
  if (!SkinLoaded()) LoadSkin();
  SetBackground(SkinSheetImage(kButtonsNormal));
  PlaceSkinnedButton(applyButton_, kApplyRect, kButtonsNormal, kButtonsOver, kButtonsDown);
  return TRUE;
}

// The function buttons that show and edit the bindings come with the page's
// menus; until then the page shows the profile's bindings unchanged.
void CButtonAssignmentDlg::LoadFromProfile(const ProfileRecord&) {}
void CButtonAssignmentDlg::StoreToProfile(ProfileRecord&) {}

bool CButtonAssignmentDlg::OnCommand(int controlId, int notifyCode, HWND) {
  if (controlId == IDC_BUTTON_PAGE_APPLY && notifyCode == BN_CLICKED) {
    host_.StartApply();
    return true;
  }
  return false;
}

}  // namespace korvid
