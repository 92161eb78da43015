#pragma once
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/connection_state.h"
#include "app/device_source.h"
#include "app/device_worker.h"
#include "app/stay_on_top.h"
#include "app/tray_icon.h"
#include "device/session.h"
#include "framework/drag_full_windows.h"
#include "framework/handles.h"
#include "profile/profile_file.h"
#include "profile/profile_record.h"
#include "widgets/apply_progress.h"
#include "widgets/page_host.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"

namespace korvid {

class CButtonAssignmentDlg;
class CAdvancedSettingsDlg;
class CSupportUpdateDlg;
class CNoDevice;
class CNoMouse;

// Posted by the device worker when it has news; the window takes the news
// from the worker.
inline constexpr UINT kDeviceNewsMessage = WM_APP + 1;
// Sent by a second copy of the program: show the window.
inline constexpr UINT kShowRequestMessage = WM_USER + 1004;

using ApplyOutcome = SessionResult;

// The main window: page buttons along the top, one page shown below them,
// the one profile record, and the link to the mouse. Its pages reach it as
// their PageHost.
class CMobrinDlg : public CZebImageDialog, public PageHost {
 public:
  explicit CMobrinDlg(bool startHidden = false);
  ~CMobrinDlg() override;

  BOOL OnInitDialog() override;
  bool ShowsWhenRun() const override { return !startHidden_; }
  void DoDataExchange() override;
  void OnOK() override {}
  void OnCancel() override {}
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG& message) override;

  // What the pages ask of the window. How an Apply goes reaches every page
  // as kApplyProgressMessage (widgets/apply_progress.h): running, then
  // succeeded or failed once the spell of writes has ended.
  void StartApply() override;
  void RestoreDefaultProfile() override;
  bool HasActiveProfile() const override { return activeProfile != nullptr; }
  void DiscoverMouse(std::function<void(bool found)> answer) override;

  // A spell of applies runs: a write to the mouse runs or waits.
  bool ApplyRunning() const { return worker_.ApplyBusy(); }

  // How long a start waits for the mouse's first read before the window
  // shows: a normal read (about 130 ms) shows the mouse's settings at once;
  // a mouse that is slow or held by another program is read while the
  // window shows itself without it.
  static constexpr std::chrono::milliseconds kFirstReadBound{1000};

  // `failure`, when given, says why a save failed.
  bool SaveCurrentProfile(SaveFailure* failure = nullptr);
  // Shows what a read found: the firmware version and the settings on the
  // pages (the mouse's, or the saved profile's when it could not be read).
  void ShowMouseRead(const SessionOutcome& outcome);
  void LoadSavedProfile();
  void ShowPage(CDialogEx& page, CZebButton& pageButton);
  // A page's window is built the first time the page is shown, so that a
  // start decodes only the sheets of the page it shows. A page built later
  // loads the active profile (or the firmware text) then.
  bool BuildPage(CDialogEx& page);
  void ShowPageWindow(CDialogEx& page);
  void LoadPagesFromProfile();
  void SetFirmwareVersionText(const std::wstring& text);
  void SetPageButtonsEnabled(bool enabled);
  void ClearPageSelection();
  void HideAllPages();
  // Shows the next (step +1) or previous (-1) page, as Ctrl+Tab does.
  void SwitchPage(int step);
  // A focused control on a page just hidden hands the focus to the page
  // button of the shown page (or to Minimise, without a mouse).
  void KeepFocusOnShownControls();

 private:
  // The five pages, built or not (null before they are made).
  std::array<CDialogEx*, 5> Pages() const;
  // Takes the device worker's news and acts on each.
  void TakeDeviceNews();
  void OnMouseRead(const DeviceNews& read);
  // The applies asked for are done; the last one's outcome.
  void OnAppliesFinished(ApplyOutcome outcome);
  void ShowApplyOutcome(ApplyOutcome outcome);
  // Sends kApplyProgressMessage to every page built.
  void TellPagesApplyProgress(ApplyProgress progress);
  // Acts on a step of the connection state (arrival, removal, read).
  void TakeConnectionStep(const ConnectionStep& step);
  void OnArrivalDiscoveryDue();
  void ShowConnected(const SessionOutcome& read);
  // The start's read still runs: shown as without a mouse until it ends.
  void ShowStarting();
  void ShowNoMouse();
  void LayOut();
  void CentreOnScreen();
  void CreatePages();
  void CreateToolTips();
  bool OnDeviceChange(WPARAM event, LPARAM data);
  void BringBack();
  LRESULT OnTrayIcon(LPARAM mouseMessage);
  bool OnSystemCommand(WPARAM command, LPARAM argument);
  std::wstring ProfilesFolderPath() const;

  CZebButton helpButton_, minimiseButton_, closeButton_;
  CZebButton buttonSettingButton_, advancedButton_, supportButton_;
  std::unique_ptr<CButtonAssignmentDlg> buttonPage_;
  std::unique_ptr<CAdvancedSettingsDlg> sensorPage_;
  std::unique_ptr<CSupportUpdateDlg> supportPage_;
  std::unique_ptr<CNoDevice> helpPage_;
  std::unique_ptr<CNoMouse> noMousePage_;
  TrayIcon tray_;

  // The one profile record; activeProfile, the record the pages show and an
  // apply writes, points at it once construction has finished.
  std::unique_ptr<ProfileRecord> currentProfile;
  ProfileRecord* activeProfile = nullptr;

  std::wstring configFilePath_;
  std::wstring dataRoot_;
  HICON bigIcon_ = nullptr;    // shared icons: the system frees them
  HICON smallIcon_ = nullptr;
  HWND toolTip_ = nullptr;     // a child of the window's lifetime
  std::wstring firmwareText_;  // what the support page shows for the firmware
  // The window drags with its contents shown; the user's setting comes back
  // when the window goes.
  std::optional<framework::DragFullWindowsOn> dragFullWindows_;

  // Started with /tray: no window until the user asks for it.
  bool startHidden_ = false;
  ConnectionState connection_;
  std::unique_ptr<DeviceChangeSource> deviceChanges_;
  StayOnTop stayOnTop_;
  bool showingApplyFailure_ = false;  // an apply's failure message is up
  // The discovery Update Firmware asked for, and who waits for its answer.
  uint64_t discovery_ = 0;
  std::vector<std::function<void(bool)>> discoveryAnswers_;
  // Where the device worker posts word of its news: the window while it
  // exists. The worker stops telling before the window object goes.
  std::atomic<HWND> newsWindow_{nullptr};
  // Owns the link to the mouse; last, so that it stops first.
  DeviceWorker worker_;
};

}  // namespace korvid
