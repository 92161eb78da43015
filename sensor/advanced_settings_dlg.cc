#include "sensor/advanced_settings_dlg.h"

#include "res/resource.h"
#include "skin/sheets.h"
#include "widgets/skin_layout.h"

namespace korvid {
namespace {
const SkinRect kApplyRect = RectAt(783, 457, 215, 60);
}  // namespace

CAdvancedSettingsDlg::CAdvancedSettingsDlg(framework::CWnd* parent, PageHost& host)
    : CZebImageDialog(IDD_SENSOR_PAGE, parent), host_(host) {}

void CAdvancedSettingsDlg::DoDataExchange() { applyButton_.SubclassDlgItem(IDC_SENSOR_PAGE_APPLY, *this); }

BOOL CAdvancedSettingsDlg::OnInitDialog() {
  CZebImageDialog::OnInitDialog();
  if (!SkinLoaded()) LoadSkin();
  SetBackground(SkinSheetImage(kSensorNormal));
  // The normal look of Apply is the one on the off sheet.
  PlaceSkinnedButton(applyButton_, kApplyRect, kSensorOff, kSensorOver, kSensorDown);
  return TRUE;
}

// The CPI, colour, lift-off and smoothing controls come with the page's
// widgets; until then the page shows the profile's settings unchanged.
void CAdvancedSettingsDlg::LoadFromProfile(const ProfileRecord&) {}
void CAdvancedSettingsDlg::StoreToProfile(ProfileRecord&) {}

bool CAdvancedSettingsDlg::OnCommand(int controlId, int notifyCode, HWND) {
  if (controlId == IDC_SENSOR_PAGE_APPLY && notifyCode == BN_CLICKED) {
    host_.StartApply();
    return true;
  }
  return false;
}

}  // namespace korvid
