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
#include "app/mouse_copy.h"
#include "app/stay_on_top.h"
#include "app/tray_icon.h"
#include "device/session.h"
#include "framework/drag_full_windows.h"
#include "framework/handles.h"
#include "profile/profile_file.h"
#include "profile/profile_record.h"
#include "skin/sheets.h"
#include "widgets/apply_progress.h"
#include "widgets/page_host.h"
#include "widgets/window_messages.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"

namespace korvid {

class CPage;

// A row of the main window's page table (main_dialog.cc): the page's button
// along the top, whether it is a notice (a pixel shorter than the settings
// pages), and how the page is made.
struct PageRow {
  int buttonId;  // 0: shown without a button, while no mouse is connected
  SkinRect buttonRect;
  bool notice;
  bool needsMouse;  // its button is off while no mouse is connected
  std::unique_ptr<CPage> (*make)(framework::CWnd& window, PageHost& host, const std::wstring& configFile);
};

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
  void DiscoverMouse(std::function<void(MouseLookup found)> answer) override;
  void PageChanged() override;

  // How long a start waits for the mouse's first read before the window
  // shows: a normal read (about 130 ms) shows the mouse's settings at once;
  // a mouse that is slow or held by another program is read while the
  // window shows itself without it.
  static constexpr std::chrono::milliseconds kFirstReadBound{1000};

 private:
  // A row of the page table and what the window made of it: the page (its
  // window built the first time it shows) and its button.
  struct Page {
    const PageRow* row = nullptr;
    std::unique_ptr<CPage> page;
    CZebButton button;  // not used by a page shown without a button
  };
  static constexpr size_t kPageCount = 5;

  // What the pages show, into the profile record, with the sensor rules.
  void StorePagesToProfile();
  // Shows what a read found: the firmware version and the settings on the
  // pages (the mouse's, or the saved profile's when it could not be read).
  void ShowMouseRead(const SessionOutcome& outcome);
  void LoadSavedProfile();
  // Shows a page with a button, which shows itself selected.
  void ShowPage(Page& page);
  // A page's window is built the first time the page is shown, so that a
  // start decodes only the sheets of the page it shows. A page built later
  // loads the profile and the firmware text then.
  bool BuildPage(Page& page);
  void ShowPageWindow(Page& page);
  void LoadPagesFromProfile();
  // The profile as the pages hold it: the profile record with what every
  // built page's controls show, and the edits held while the pages' windows
  // were gone, copied in.
  ProfileRecord PagesProfile();
  // Destroys every page's window, holding what the pages show in
  // heldEdits_; returns the page that was shown, if any. Nothing is torn
  // down while a page is handling a message further up the stack (false).
  // The page objects stay until CreatePages makes them anew.
  bool TearDownPages(Page*& shown);
  // Started in the tray, the window holds no sheet and no page until it
  // first shows: memory for what nobody sees. Shown, it builds what it shows.
  void WakeUp();
  void SetFirmwareVersionText(const std::wstring& text);
  void SetPageButtonsEnabled(bool enabled);
  void ClearPageSelection();
  void HideAllPages();
  // Shows the next (step +1) or previous (-1) page, as Ctrl+Tab does.
  void SwitchPage(int step);
  // A focused control on a page just hidden hands the focus to the page
  // button of the shown page (or to Minimise, without a mouse).
  void KeepFocusOnShownControls();
  // The page of a page button's control ID; null for any other control.
  Page* PageOfButton(int controlId);
  // The page shown while no mouse is connected.
  Page& NoMousePage();
  // Calls `action` on every page whose window is built, in the table's order.
  void ForEachBuiltPage(const std::function<void(CPage&)>& action);

  // Takes the device worker's news and acts on each.
  void TakeDeviceNews();
  void OnMouseRead(const DeviceNews& read);
  // The applies asked for are done; the last one's outcome.
  void OnAppliesFinished(const SessionOutcome& outcome);
  void ShowApplyOutcome(const SessionOutcome& outcome);
  // Compares the pages with what the mouse holds and tells the pages when
  // that changes (the mark on their Apply buttons).
  void CompareWithMouse();
  // Exit Software: asks first when the pages hold unapplied settings.
  void RequestExit();
  void EndProgram();
  // Sends kApplyProgressMessage to every page built.
  void TellPagesApplyProgress(ApplyProgress progress);
  // Acts on a step of the connection state (arrival, removal, read).
  void TakeConnectionStep(const ConnectionStep& step);
  void OnArrivalDiscoveryDue();
  void ShowConnected(const SessionOutcome& read);
  // The start's read still runs: shown as without a mouse until it ends.
  void ShowStarting();
  void ShowNoMouse();
  // Builds the window's skin, its page objects and its tool tips, once; a
  // start in the tray does it when the window first shows.
  void LayOut();
  void LayOutWindow();
  void CentreOnScreen();
  void CreatePages();
  // Display scale: the window moved to a monitor of another DPI, or the
  // monitor's scale changed.
  void OnDpiChanged(int dpi, const RECT& suggested);
  void RescaleWhenPagesAreFree();
  bool OnDeviceChange(WPARAM event, LPARAM data);
  void BringBack();
  LRESULT OnTrayIcon(LPARAM mouseMessage);
  bool OnSystemCommand(WPARAM command, LPARAM argument);
  std::wstring ProfilesFolderPath() const;

  CZebButton minimiseButton_, closeButton_;
  std::array<Page, kPageCount> pages_;
  TrayIcon tray_;

  // The one profile record: what the pages show, a save stores and an apply
  // writes.
  ProfileRecord profile_;

  std::wstring configFilePath_;
  std::wstring dataRoot_;
  HICON bigIcon_ = nullptr;    // shared icons: the system frees them
  HICON smallIcon_ = nullptr;
  std::wstring firmwareText_;  // what the pages show for the firmware
  // The window drags with its contents shown; the user's setting comes back
  // when the window goes.
  std::optional<framework::DragFullWindowsOn> dragFullWindows_;

  // Started with /tray: no window until the user asks for it.
  bool startHidden_ = false;
  ConnectionState connection_;
  std::unique_ptr<DeviceChangeSource> deviceChanges_;
  StayOnTop stayOnTop_;
  bool showingNotice_ = false;  // an apply's failure or the replug's check is up
  MouseCopy mouseCopy_;
  bool unapplied_ = false;       // the pages differ from the mouse, as last told
  bool compareDue_ = false;      // kCompareWithMouseMessage is on its way
  bool askingAboutExit_ = false;  // the question before the end is up
  bool exitAfterApply_ = false;   // the question was answered Apply
  // A scale change waiting for a busy page (kRescaleMessage).
  struct PendingRescale {
    int dpi;
    RECT suggested;
  };
  std::optional<PendingRescale> pendingRescale_;
  // Whether LayOut has run. Until it has (a start in the tray) nothing is
  // built, and the page to show waits in pageToShow_.
  bool laidOut_ = false;
  Page* pageToShow_ = nullptr;
  // What the pages showed when their windows went, unapplied edits and all;
  // a page built later shows it. A read or a reset of the profile drops it.
  std::optional<ProfileRecord> heldEdits_;
  // The discovery Update Firmware asked for, and who waits for its answer.
  uint64_t discovery_ = 0;
  std::vector<std::function<void(MouseLookup)>> discoveryAnswers_;
  // Where the device worker posts word of its news: the window while it
  // exists. The worker stops telling before the window object goes.
  std::atomic<HWND> newsWindow_{nullptr};
  // Owns the link to the mouse; last, so that it stops first.
  DeviceWorker worker_;
};

}  // namespace korvid
