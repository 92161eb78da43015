#pragma once
#include <string>

#include "korvid_version.h"
#include "widgets/page.h"
#include "widgets/title_tip.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_static.h"

namespace korvid {

inline constexpr wchar_t kSoftwareVersionText[] = KORVID_VERSION_LABEL_WIDE;
inline constexpr wchar_t kFirmwareToolFolder[] = L"\\Korvid Firmware Update Tool";
inline constexpr wchar_t kFirmwareToolExecutable[] = L"\\Korvid Firmware Update Tool.exe";
inline constexpr wchar_t kFirmwareToolArguments[] = L"0";

// The support page: program and firmware versions, the downloads page, the
// firmware update tool and the restore of the default settings.
class CSupportUpdateDlg : public CPage {
 public:
  CSupportUpdateDlg(framework::CWnd* parent, PageHost& host, std::wstring downloadsUrl);

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;

  void ShowFirmwareVersion(const std::wstring& text) override;
  std::wstring FirmwareVersionText() const { return firmwareVersionLabel_.GetText(); }

  void OnSoftwareUpdate();
  void OnFirmwareUpdate();
  // The answer to Update Firmware's look for the mouse: starts the tool, or
  // says that no mouse was found or that another program holds it.
  void LaunchFirmwareTool(MouseLookup found);
  void OnRestoreDefaults();
  // Names where the tool was looked for and offers the downloads page.
  void ReportMissingFirmwareTool(const std::wstring& toolPath);

 private:
  std::wstring downloadsUrl_;
  CZebStatic softwareVersionLabel_, firmwareVersionLabel_;
  CZebButton softwareUpdateButton_, firmwareUpdateButton_, restoreDefaultsButton_;
  CTitleTip titleTip_;
};

}  // namespace korvid
