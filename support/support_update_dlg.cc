#include "support/support_update_dlg.h"

#include <shellapi.h>

#include "framework/shell.h"
#include "res/resource.h"
#include "skin/sheets.h"
#include "support/connection_rules.h"
#include "support/notice_popup.h"
#include "support/pop_system_message_dlg.h"
#include "widgets/skin_layout.h"

namespace korvid {
namespace {

constexpr SkinRect kSoftwareVersionRect{289, 172, 331, 187};
// The two version boxes line up, one above the other.
constexpr SkinRect kFirmwareVersionRect{289, 103, 331, 118};
constexpr SkinRect kSoftwareUpdateRect{367, 156, 489, 203};
constexpr SkinRect kFirmwareUpdateRect{368, 87, 488, 134};
constexpr SkinRect kRestoreDefaultsRect{893, 156, 1013, 203};
// "Saved to the mouse" beside Restore Defaults.
constexpr SkinRect kRestoreSavedRect{623, 163, 879, 195};
constexpr int kLabelFontHeight = 16;
constexpr Gdiplus::ARGB kLabelColour = 0xFFFFFFFF;

void PlaceLabel(CZebStatic& label, const SkinRect& rect, const std::wstring& text) {
  PlaceControl(label, rect);
  label.SetBackgroundImage(CropSkinImage(kUpdateNormal, rect));
  label.SetFontHeight(kLabelFontHeight);
  label.textColour = kLabelColour;
  label.SetText(text);
}

void PlaceButton(CZebButton& button, const SkinRect& rect) {
  PlaceSkinnedButton(button, rect, kUpdateNormal, kUpdateOver, kUpdateDown);
}

}  // namespace

CSupportUpdateDlg::CSupportUpdateDlg(framework::CWnd* parent, PageHost& host, std::wstring downloadsUrl)
    : CPage(IDD_SUPPORT_PAGE, parent, host), downloadsUrl_(std::move(downloadsUrl)) {}

void CSupportUpdateDlg::DoDataExchange() {
  BindControls({{softwareVersionLabel_, IDC_SOFTWARE_VERSION}, {firmwareVersionLabel_, IDC_FIRMWARE_VERSION},
                {softwareUpdateButton_, IDC_SOFTWARE_UPDATE}, {firmwareUpdateButton_, IDC_FIRMWARE_UPDATE},
                {restoreDefaultsButton_, IDC_RESTORE_DEFAULTS}});
}

BOOL CSupportUpdateDlg::OnInitDialog() {
  CPage::OnInitDialog();
  if (!SkinLoaded()) LoadSkin();
  SetBackground(SkinSheetImage(kUpdateNormal));
  PlaceLabel(softwareVersionLabel_, kSoftwareVersionRect, kSoftwareVersionText);
  PlaceLabel(firmwareVersionLabel_, kFirmwareVersionRect, NoFirmwareVersionText());
  PlaceButton(softwareUpdateButton_, kSoftwareUpdateRect);
  PlaceButton(firmwareUpdateButton_, kFirmwareUpdateRect);
  PlaceButton(restoreDefaultsButton_, kRestoreDefaultsRect);
  // Restore Defaults writes the defaults, not the pages: it takes no mark.
  AttachApplyFeedback(restoreDefaultsButton_, kUpdateBusy, kRestoreSavedRect, false);
  titleTip_.Create(this);
  return TRUE;
}

void CSupportUpdateDlg::ShowFirmwareVersion(const std::wstring& text) { firmwareVersionLabel_.SetText(text); }

void CSupportUpdateDlg::OnSoftwareUpdate() { OpenInShellAsync(downloadsUrl_); }

void CSupportUpdateDlg::OnFirmwareUpdate() {
  // The look for the mouse runs on the window's device worker: the tool
  // starts when the answer comes, and the page stays responsive meanwhile.
  Host().DiscoverMouse([this](MouseLookup found) { LaunchFirmwareTool(found); });
}

void CSupportUpdateDlg::LaunchFirmwareTool(MouseLookup found) {
  if (found == MouseLookup::kBusy) {
    CNoticePopup notice(MouseBusyNotice(), this);
    notice.DoModal();
  } else if (found == MouseLookup::kFound) {
    const std::wstring tool = GetModuleFolder() + kFirmwareToolFolder + kFirmwareToolExecutable;
    const DWORD attributes = GetFileAttributesW(tool.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      // Without the tool the button would do nothing at all, which reads as broken.
      ReportMissingFirmwareTool(tool);
      return;
    }
    ShellExecuteW(nullptr, L"open", tool.c_str(), kFirmwareToolArguments, nullptr, SW_SHOWNORMAL);
  } else {
    CPopSystemMessageDlg popup(kMessageNoMouse, this);
    popup.DoModal();
  }
}

void CSupportUpdateDlg::ReportMissingFirmwareTool(const std::wstring& toolPath) {
  CNoticePopup notice(FirmwareToolMissingNotice(toolPath, downloadsUrl_), this);
  if (notice.DoModal() == kAnswerYes) OnSoftwareUpdate();
}

void CSupportUpdateDlg::OnRestoreDefaults() {
  CPopSystemMessageDlg question(kMessageRestoreDefaults, this);
  if (question.DoModal() == kAnswerYes) Host().RestoreDefaultProfile();
}

bool CSupportUpdateDlg::OnCommand(int controlId, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;
  switch (controlId) {
    case IDC_SOFTWARE_UPDATE:
      OnSoftwareUpdate();
      return true;
    case IDC_FIRMWARE_UPDATE:
      OnFirmwareUpdate();
      return true;
    case IDC_RESTORE_DEFAULTS:
      OnRestoreDefaults();
      return true;
    default:
      return false;
  }
}

}  // namespace korvid
