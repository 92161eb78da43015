#pragma once
#include <atomic>
#include <memory>
#include <string>

#include "app/device_source.h"
#include "app/profile_commands.h"
#include "device/link.h"
#include "device/session.h"
#include "framework/handles.h"
#include "profile/profile_record.h"
#include "widgets/quo_bn_menu.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"

namespace korvid {

class CButtonAssignmentDlg;
class CAdvancedSettingsDlg;
class CSupportUpdateDlg;
class CNoDevice;
class CNoMouse;

// Sent by an apply worker to have its outcome shown on the UI thread;
// wParam is an ApplyOutcome. The worker waits for the answer.
inline constexpr UINT kApplyOutcomeMessage = WM_APP + 1;
// Sent by a second copy of the program: show the window.
inline constexpr UINT kShowRequestMessage = WM_USER + 1004;
// The tray icon's callback; lParam is the mouse message.
inline constexpr UINT kTrayIconMessage = WM_USER + 1003;
inline constexpr UINT kTrayIconId = 128;
inline constexpr int kTrayConfigMouse = 300;
inline constexpr int kTrayExitSoftware = 301;

using ApplyOutcome = SessionResult;

// The main window: page buttons along the top, one page shown below them,
// the one profile record, and the link to the mouse.
class CMobrinDlg : public CZebImageDialog, public ProfileCommands {
 public:
  CMobrinDlg();
  ~CMobrinDlg() override;

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  void OnOK() override {}
  void OnCancel() override {}
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Profile commands.
  bool SaveCurrentProfile();
  void StartApply() override;
  void RestoreDefaultProfile() override;
  bool HasActiveProfile() const override { return activeProfile != nullptr; }
  bool DiscoverMouse() override;

  void ConnectAndRead();
  void LoadSavedProfile();
  void ShowPage(CDialogEx& page, CZebButton& pageButton);
  void SetPageButtonsEnabled(bool enabled);
  void ClearPageSelection();
  void HideAllPages();

  std::unique_ptr<ProfileRecord> currentProfile;
  ProfileRecord* activeProfile = nullptr;
  // Made on the first right click on the tray icon, then reused.
  std::unique_ptr<CQuoBnMenu> trayMenu;

 private:
  struct ApplyJob;
  static DWORD WINAPI ApplyThread(void* job);
  // Writes `profile` to the mouse; runs on an apply worker inside the
  // apply lock.
  ApplyOutcome ApplyToMouse(const ProfileRecord& profile);
  void ShowApplyOutcome(ApplyOutcome outcome);
  void LayOut();
  void CentreOnScreen();
  void CreatePages();
  void CreateToolTips();
  bool OnDeviceChange(WPARAM event, LPARAM data);
  bool OnToolTipText(NMHDR& header);
  void BringBack();
  void AddTrayIcon();
  void RemoveTrayIcon();
  LRESULT OnTrayIcon(LPARAM mouseMessage);
  void OpenTrayMenu();
  bool OnSystemCommand(WPARAM command, LPARAM argument);
  std::wstring ProfilesFolderPath() const;

  CZebButton helpButton_, minimiseButton_, closeButton_;
  CZebButton buttonSettingButton_, advancedButton_, supportButton_;
  std::unique_ptr<CButtonAssignmentDlg> buttonPage_;
  std::unique_ptr<CAdvancedSettingsDlg> sensorPage_;
  std::unique_ptr<CSupportUpdateDlg> supportPage_;
  std::unique_ptr<CNoDevice> helpPage_;
  std::unique_ptr<CNoMouse> noMousePage_;

  std::wstring configFilePath_;
  std::wstring dataRoot_;
  HICON bigIcon_ = nullptr;    // shared icons: the system frees them
  HICON smallIcon_ = nullptr;
  HWND toolTip_ = nullptr;     // a child of the window's lifetime
  NOTIFYICONDATAW trayIcon_{};
  bool trayIconAdded_ = false;
  // Broadcast by the shell when it (re)starts and its tray is empty.
  UINT taskbarCreatedMessage_ = 0;

  std::unique_ptr<HidPort> port_;
  LinkState link_;
  // Held while the link talks to the mouse: the UI thread's reads and the
  // apply workers' writes take turns.
  framework::CriticalSection linkLock_;
  bool connectedAtStart_ = false;
  std::unique_ptr<DeviceChangeSource> deviceChanges_;
  std::atomic<int> runningApplies_{0};
};

}  // namespace korvid
