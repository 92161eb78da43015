#include "buttons/button_assignment_dlg.h"

#include "app/skin.h"
#include "res/resource.h"

namespace korvid {
namespace {
constexpr SkinRect kApplyRect{686, 426, 686 + 219, 426 + 61};
}  // namespace

CButtonAssignmentDlg::CButtonAssignmentDlg(framework::CWnd* parent, ProfileCommands& commands)
    : CZebImageDialog(IDD_BUTTON_PAGE, parent), commands_(commands) {}

void CButtonAssignmentDlg::DoDataExchange() { applyButton_.SubclassDlgItem(IDC_BUTTON_PAGE_APPLY, *this); }

BOOL CButtonAssignmentDlg::OnInitDialog() {
  CZebImageDialog::OnInitDialog();
  if (!SkinLoaded()) LoadSkin();
  SetBackground(SkinSheetImage(kButtonsNormal));
  applyButton_.MoveWindow(kApplyRect.left, kApplyRect.top, kApplyRect.right - kApplyRect.left,
                          kApplyRect.bottom - kApplyRect.top);
  applyButton_.SetImages(CropSkinImage(kButtonsNormal, kApplyRect), CropSkinImage(kButtonsOver, kApplyRect),
                         CropSkinImage(kButtonsDown, kApplyRect));
  return TRUE;
}

// The function buttons that show and edit the bindings come with the page's
// menus; until then the page shows the profile's bindings unchanged.
void CButtonAssignmentDlg::LoadFromProfile(const ProfileRecord&) {}
void CButtonAssignmentDlg::StoreToProfile(ProfileRecord&) {}

bool CButtonAssignmentDlg::OnCommand(int controlId, int notifyCode, HWND) {
  if (controlId == IDC_BUTTON_PAGE_APPLY && notifyCode == BN_CLICKED) {
    commands_.StartApply();
    return true;
  }
  return false;
}

}  // namespace korvid
