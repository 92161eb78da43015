#include "app/main_dialog.h"

#include <commctrl.h>
#include <dbt.h>

#include <filesystem>
#include <utility>

#include "app/config_ini.h"
#include "app/messages.h"
#include "buttons/button_assignment_dlg.h"
#include "device/hid_notifications_win32.h"
#include "device/outcome_reason.h"
#include "device/session.h"
#include "profile/profile_file.h"
#include "res/resource.h"
#include "sensor/advanced_settings_dlg.h"
#include "sensor/sensor_rules.h"
#include "skin/sheets.h"
#include "support/connection_rules.h"
#include "support/help_page.h"
#include "support/no_mouse.h"
#include "support/notice_popup.h"
#include "support/pop_system_message_dlg.h"
#include "support/support_update_dlg.h"
#include "widgets/skin_layout.h"
#include "widgets/page.h"
#include "widgets/tool_tips.h"
#include "widgets/window_messages.h"

namespace korvid {

namespace {

// The pages, in the order of their buttons along the top, which Ctrl+Tab
// follows; the first shows when the mouse is connected.
const PageRow kPageRows[] = {
    {IDC_BUTTON_SETTING_BUTTON, RectAt(67, 32, 135, 58), false, true,
     [](framework::CWnd& window, PageHost& host, const std::wstring&) -> std::unique_ptr<CPage> {
       return std::make_unique<CButtonAssignmentDlg>(&window, host);
     }},
    {IDC_ADVANCED_BUTTON, RectAt(340, 32, 123, 58), false, true,
     [](framework::CWnd& window, PageHost& host, const std::wstring&) -> std::unique_ptr<CPage> {
       return std::make_unique<CAdvancedSettingsDlg>(&window, host);
     }},
    // The support address and the FAQ are needed most while no mouse is found.
    {IDC_SUPPORT_BUTTON, RectAt(609, 32, 119, 58), false, false,
     [](framework::CWnd& window, PageHost& host, const std::wstring& configFile) -> std::unique_ptr<CPage> {
       return std::make_unique<CSupportUpdateDlg>(
           &window, host, ReadConfigValue(configFile, kDownloadsUrlKey, kDefaultDownloadsUrl));
     }},
    {IDC_HELP_BUTTON, RectAt(867, 32, 137, 58), true, false,
     [](framework::CWnd& window, PageHost& host, const std::wstring& configFile) -> std::unique_ptr<CPage> {
       return std::make_unique<CNoDevice>(&window, host, ReadConfigValue(configFile, kFaqUrlKey, kDefaultFaqUrl));
     }},
    {0, {}, true, false,
     [](framework::CWnd& window, PageHost& host, const std::wstring&) -> std::unique_ptr<CPage> {
       return std::make_unique<CNoMouse>(&window, host);
     }},
};

const SkinRect kMinimiseRect = RectAt(980, 17, 28, 12);
const SkinRect kCloseRect = RectAt(1030, 5, 22, 24);

constexpr int kPageX = 3, kPageY = 90, kPageWidth = 1062, kPageHeight = 554, kNoticePageHeight = 553;

constexpr ToolTipText kToolTips[] = {
    {IDC_HELP_BUTTON, L"Support information"},     {IDC_MINIMISE_BUTTON, L"minimize to the task bar"},
    {IDC_CLOSE_BUTTON, L"minimize to system tray"}, {IDC_BUTTON_SETTING_BUTTON, L"Bind your mouse buttons"},
    {IDC_ADVANCED_BUTTON, L"Mouse Senor settings"}, {IDC_SUPPORT_BUTTON, L"Update and Reset"},
};

constexpr UINT_PTR kAddTrayIconTimer = 1;
// A discovery after the mouse's arrival is due.
constexpr UINT_PTR kArrivalDiscoveryTimer = 2;

}  // namespace

CMobrinDlg::CMobrinDlg(bool startHidden)
    : CZebImageDialog(IDD_MAIN, nullptr),
      startHidden_(startHidden),
      worker_(MakeSessionConversation(MakeProgramHidPort()),
              [this] {
                // Before the window exists the news waits in the worker: the
                // window takes it when it is built.
                if (HWND window = newsWindow_.load()) PostMessageW(window, kDeviceNewsMessage, 0, 0);
              }) {
  bigIcon_ = static_cast<HICON>(LoadImageW(framework::ModuleInstance(), MAKEINTRESOURCEW(IDI_KORVID), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
  smallIcon_ = static_cast<HICON>(LoadImageW(framework::ModuleInstance(), MAKEINTRESOURCEW(IDI_KORVID),
                                             IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  static_assert(std::size(kPageRows) == kPageCount);
  for (size_t i = 0; i < kPageCount; ++i) pages_[i].row = &kPageRows[i];
  configFilePath_ = ConfigFilePath();
  dataRoot_ = ResolveDataRoot(configFilePath_);
  ResetToDefaultProfile(profile_);
  LoadSavedProfile();
  mouseCopy_.held = MouseBlockOf(profile_);
  // The first read is mostly the protocol's pauses: it runs on the worker
  // while the window is built, into a copy of the saved profile.
  connection_ = StartingWithRead(worker_.Read(profile_));
}

CMobrinDlg::~CMobrinDlg() {
  deviceChanges_.reset();
  // An apply still writing the mouse is given a bounded time to finish; one
  // that was only waiting is dropped. A mouse slower than the bound is left
  // to the worker, which owns everything it uses, and the program ends.
  worker_.Stop(DeviceWorker::kStopBound);
}

std::wstring CMobrinDlg::ProfilesFolderPath() const {
  return ProfilesFolder(std::filesystem::path(dataRoot_)).wstring();
}

void CMobrinDlg::LoadSavedProfile() {
  korvid::LoadSavedProfile(ProfilesFolder(std::filesystem::path(dataRoot_)), profile_);
}

void CMobrinDlg::DoDataExchange() {
  BindControls({{minimiseButton_, IDC_MINIMISE_BUTTON}, {closeButton_, IDC_CLOSE_BUTTON}});
  for (Page& page : pages_) {
    if (page.row->buttonId) page.button.SubclassDlgItem(page.row->buttonId, *this);
  }
}

BOOL CMobrinDlg::OnInitDialog() {
  CZebImageDialog::OnInitDialog();
  SetWindowText(kMainWindowTitle);
  SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  dragFullWindows_.emplace();
  ModifyStyle(WS_CAPTION, 0);
  // Started in the tray, the window builds its content when first shown.
  if (!startHidden_) LayOut();
  if (!RegisterHidNotifications(GetSafeHwnd())) {
    MessageBoxW(GetSafeHwnd(), kRegisterNotificationFailed, kMessageCaption, MB_OK | MB_ICONWARNING);
  }
  deviceChanges_ = StartDeviceChangeSource(GetSafeHwnd());
  // Word of the worker's news reaches the window only once its pages exist:
  // a modal message before then (a skin sheet missing) must not act on it.
  newsWindow_ = GetSafeHwnd();
  // The window shows the mouse's settings at once when the first read ends
  // soon enough; otherwise it shows itself without the mouse and takes the
  // read when it comes. Hidden in the tray, it does not wait at all.
  if (!startHidden_) worker_.AwaitNews(kFirstReadBound);
  TakeDeviceNews();
  if (connection_.phase == ConnectionPhase::kStarting) ShowStarting();
  // The tray icon waits until the window has shown and painted itself: a
  // timer's message comes after the first paint.
  SetTimer(GetSafeHwnd(), kAddTrayIconTimer, 0, nullptr);
  return TRUE;
}

void CMobrinDlg::CentreOnScreen() {
  HWND window = GetSafeHwnd();
  const RECT area = framework::WorkAreaOf(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY));
  if (IsRectEmpty(&area)) return;
  RECT bounds{};
  GetWindowRect(window, &bounds);
  const int x = area.left + std::max(0L, (area.right - area.left - (bounds.right - bounds.left)) / 2);
  const int y = area.top + std::max(0L, (area.bottom - area.top - (bounds.bottom - bounds.top)) / 2);
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMobrinDlg::LayOut() {
  if (laidOut_) return;
  laidOut_ = true;
  SetUiDpi(DpiOfWindow(GetSafeHwnd()));
  LayOutWindow();
  CreatePages();
  CentreOnScreen();
  CreateToolTips();
  AddToolTips(kToolTips);
}

void CMobrinDlg::LayOutWindow() {
  if (!SkinLoaded()) LoadSkin();
  SetBackground(SkinSheetImage(kMainBackground));
  PlaceSkinnedButton(minimiseButton_, kMinimiseRect, kMainNormal, kMainOver, kMainDown);
  PlaceSkinnedButton(closeButton_, kCloseRect, kMainNormal, kMainOver, kMainDown);
  for (Page& page : pages_) {
    if (!page.row->buttonId) continue;
    PlaceSkinnedButton(page.button, page.row->buttonRect, kMainNormal, kMainOver, kMainDown);
    // The page buttons are switched off while no mouse is connected; the
    // off sheet shows that they are.
    page.button.SetOffImage(CropSkinImage(kMainOff, page.row->buttonRect));
  }
}

void CMobrinDlg::ShowStarting() {
  ClearPageSelection();
  ShowPageWindow(NoMousePage());
  SetPageButtonsEnabled(false);
}

void CMobrinDlg::CreatePages() {
  for (Page& page : pages_) page.page = page.row->make(*this, *this, configFilePath_);
}

CMobrinDlg::Page* CMobrinDlg::PageOfButton(int controlId) {
  for (Page& page : pages_) {
    if (page.row->buttonId && page.row->buttonId == controlId) return &page;
  }
  return nullptr;
}

CMobrinDlg::Page& CMobrinDlg::NoMousePage() {
  for (Page& page : pages_) {
    if (!page.row->buttonId) return page;
  }
  return pages_.back();
}

void CMobrinDlg::ForEachBuiltPage(const std::function<void(CPage&)>& action) {
  for (Page& page : pages_) {
    if (page.page && page.page->GetSafeHwnd()) action(*page.page);
  }
}

bool CMobrinDlg::BuildPage(Page& entry) {
  if (!entry.page) return false;
  CPage& page = *entry.page;
  if (page.GetSafeHwnd()) return true;
  page.Create();
  HWND window = page.GetSafeHwnd();
  if (!window) return false;
  // The page answers to its template number, so that tools and tests
  // can tell the pages apart.
  SetWindowLongPtrW(window, GWLP_ID, page.TemplateId());
  PlaceControl(page, RectAt(kPageX, kPageY, kPageWidth, entry.row->notice ? kNoticePageHeight : kPageHeight));
  page.ShowWindow(SW_HIDE);
  page.LoadFromProfile(heldEdits_ ? *heldEdits_ : profile_);
  page.ShowFirmwareVersion(firmwareText_);
  if (worker_.ApplyBusy()) SendMessageW(window, kApplyProgressMessage, static_cast<WPARAM>(ApplyProgress::kRunning), 0);
  SendMessageW(window, kUnappliedChangesMessage, unapplied_ ? 1 : 0, 0);
  // Every image the page shows is a cut or a copy of its own by now.
  ReleaseSkinSheets();
  return true;
}

void CMobrinDlg::ShowPageWindow(Page& page) {
  if (!laidOut_) {
    pageToShow_ = &page;
    return;
  }
  if (BuildPage(page)) page.page->ShowWindow(SW_SHOW);
}

ProfileRecord CMobrinDlg::PagesProfile() {
  ProfileRecord pages = heldEdits_ ? *heldEdits_ : profile_;
  ForEachBuiltPage([&pages](CPage& page) { page.CopyToProfile(pages); });
  return pages;
}

bool CMobrinDlg::TearDownPages(Page*& shown) {
  shown = nullptr;
  bool busy = false;
  ForEachBuiltPage([&busy](CPage& page) { busy = busy || page.HandlingMessage(); });
  if (busy) return false;
  ProfileRecord edits = PagesProfile();
  for (Page& entry : pages_) {
    CPage* page = entry.page.get();
    if (!page || !page->GetSafeHwnd()) continue;
    page->DropPendingChoices();
    if (GetWindowLongW(page->GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE) shown = &entry;
    page->DestroyWindow();
  }
  heldEdits_ = std::move(edits);
  return true;
}

void CMobrinDlg::WakeUp() {
  if (laidOut_) return;
  LayOut();
  if (Page* page = std::exchange(pageToShow_, nullptr)) ShowPageWindow(*page);
  KeepFocusOnShownControls();
}

void CMobrinDlg::SetPageButtonsEnabled(bool enabled) {
  for (Page& page : pages_) {
    if (!page.row->buttonId || !page.row->needsMouse) continue;
    page.button.EnableWindow(enabled);
    page.button.Invalidate(false);
  }
}

void CMobrinDlg::ClearPageSelection() {
  for (Page& page : pages_) {
    if (page.row->buttonId) page.button.SetSelected(false);
  }
}

void CMobrinDlg::HideAllPages() {
  ForEachBuiltPage([](CPage& page) { page.ShowWindow(SW_HIDE); });
}

void CMobrinDlg::ShowPage(Page& page) {
  // The page's own style: what shows once the window does, hidden or not.
  HWND window = page.page->GetSafeHwnd();
  if (window && (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE)) return;
  ClearPageSelection();
  page.button.SetSelected(true);
  // A page seen for the first time is built while the shown one stays. It
  // shows before that one hides, and paints at once: hiding a page first
  // would erase the content area to the window's background meanwhile.
  BuildPage(page);
  ShowPageWindow(page);
  HWND shown = page.page->GetSafeHwnd();
  ForEachBuiltPage([shown](CPage& built) {
    if (built.GetSafeHwnd() != shown) built.ShowWindow(SW_HIDE);
  });
  if (shown) RedrawWindow(shown, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  KeepFocusOnShownControls();
}

void CMobrinDlg::DiscoverMouse(std::function<void(MouseLookup found)> answer) {
  discoveryAnswers_.push_back(std::move(answer));
  if (discovery_ == 0) discovery_ = worker_.Discover();
}

void CMobrinDlg::TakeDeviceNews() {
  while (const std::optional<DeviceNews> news = worker_.TakeNews()) {
    switch (news->kind) {
      case DeviceNews::Kind::kRead:
        OnMouseRead(*news);
        break;
      case DeviceNews::Kind::kDiscovered:
        if (news->ticket == discovery_) {
          discovery_ = 0;
          const MouseLookup found = news->outcome.result == SessionResult::kDone ? MouseLookup::kFound
                                    : MouseHeldElsewhere(news->outcome)          ? MouseLookup::kBusy
                                                                                 : MouseLookup::kNotFound;
          // An answer may open a modal message, inside which more news is
          // taken: the answers are taken out first.
          for (const auto& answer : std::exchange(discoveryAnswers_, {})) answer(found);
        }
        break;
      case DeviceNews::Kind::kAppliesFinished:
        OnAppliesFinished(news->outcome);
        break;
    }
  }
}

void CMobrinDlg::OnMouseRead(const DeviceNews& read) {
  // A mouse that was found but could not be read (busy, failing) is there
  // all the same; so is one whose interface another program held at the
  // start (after an arrival that looks like an interface not ready yet,
  // which the retries wait for).
  const bool found = read.outcome.result != SessionResult::kNoMouse ||
                     (connection_.phase == ConnectionPhase::kStarting && MouseHeldElsewhere(read.outcome));
  const ConnectionStep step = korvid::OnMouseRead(connection_, read.ticket, found);
  if (step.kind != ConnectionStep::Kind::kShowConnected) {
    TakeConnectionStep(step);
    return;
  }
  UnconfirmedCheck check = UnconfirmedCheck::kNothingUnconfirmed;
  if (read.outcome.result == SessionResult::kDone) {
    check = korvid::OnMouseRead(mouseCopy_, MouseBlockOf(read.profile));
    // Settings sent but not in the mouse stay on the pages, for Apply to
    // send again; the mark on Apply shows that they differ.
    if (check != UnconfirmedCheck::kMouseLacksThem) profile_ = read.profile;
  }
  ShowConnected(read.outcome);
  CompareWithMouse();
  if (check == UnconfirmedCheck::kMouseHoldsThem) {
    // Told as a commit is: the pages' "Saved to the mouse", no message to
    // answer (the window may be in the tray).
    TellPagesApplyProgress(ApplyProgress::kSucceeded);
  } else if (check == UnconfirmedCheck::kMouseLacksThem && !showingNotice_) {
    // Under a failure message already up, the mark on Apply tells it alone.
    showingNotice_ = true;
    CNoticePopup notice(ReplugLacksSettingsNotice(), this);
    notice.DoModal();
    showingNotice_ = false;
  }
}

void CMobrinDlg::PageChanged() {
  // After the page has acted on its control, once for a burst of them.
  if (compareDue_) return;
  compareDue_ = true;
  PostMessageW(GetSafeHwnd(), kCompareWithMouseMessage, 0, 0);
}

void CMobrinDlg::CompareWithMouse() {
  compareDue_ = false;
  // What an Apply would send, the pages' controls left as they are.
  ProfileRecord pages = PagesProfile();
  ApplySensorRules(pages);
  const bool unapplied = PagesDiffer(mouseCopy_, MouseBlockOf(pages));
  if (unapplied == unapplied_) return;
  unapplied_ = unapplied;
  ForEachBuiltPage([unapplied](CPage& page) {
    SendMessageW(page.GetSafeHwnd(), kUnappliedChangesMessage, unapplied ? 1 : 0, 0);
  });
}

void CMobrinDlg::RequestExit() {
  if (askingAboutExit_) return;
  CompareWithMouse();
  if (unapplied_) {
    BringBack();
    askingAboutExit_ = true;
    CNoticePopup question(UnappliedChangesQuestion(), this);
    const INT_PTR answer = question.DoModal();
    askingAboutExit_ = false;
    if (answer == kAnswerCancel || answer < 0) return;
    if (answer == kAnswerYes) {
      // The program ends once the mouse holds them; a failure keeps it open.
      exitAfterApply_ = true;
      StartApply();
      if (!worker_.ApplyBusy()) exitAfterApply_ = false;
      return;
    }
  }
  EndProgram();
}

void CMobrinDlg::EndProgram() {
  // An apply only waiting is dropped; the one writing the mouse is waited
  // for when the window goes. Untitled, the window is no longer found by a
  // new copy, which then waits for this one to end.
  worker_.DropPendingApply();
  SetWindowText(L"");
  PostQuitMessage(0);
}

void CMobrinDlg::ShowMouseRead(const SessionOutcome& outcome) {
  SetFirmwareVersionText(FirmwareLabelText(outcome.firmwareVersion));
  LoadPagesFromProfile();
}

void CMobrinDlg::LoadPagesFromProfile() {
  heldEdits_.reset();
  // A page not built yet loads the profile when it is.
  ForEachBuiltPage([this](CPage& page) {
    page.DropPendingChoices();
    page.LoadFromProfile(profile_);
  });
  CompareWithMouse();
}

void CMobrinDlg::SetFirmwareVersionText(const std::wstring& text) {
  firmwareText_ = text;
  ForEachBuiltPage([&text](CPage& page) { page.ShowFirmwareVersion(text); });
}

bool CMobrinDlg::OnDeviceChange(WPARAM event, LPARAM data) {
  if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return true;
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return true;
  const auto* broadcast = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(data);
  if (!NamesTheMouse(broadcast->dbcc_name)) return true;
  TakeConnectionStep(event == DBT_DEVICEARRIVAL ? OnMouseArrival(connection_) : OnMouseRemoval(connection_));
  return true;
}

void CMobrinDlg::TakeConnectionStep(const ConnectionStep& step) {
  switch (step.kind) {
    case ConnectionStep::Kind::kDiscoverLater:
      SetTimer(GetSafeHwnd(), kArrivalDiscoveryTimer, step.delayMs, nullptr);
      break;
    case ConnectionStep::Kind::kShowNoMouse:
      ShowNoMouse();
      break;
    case ConnectionStep::Kind::kShowConnected:
    case ConnectionStep::Kind::kNothing:
      break;
  }
}

void CMobrinDlg::OnArrivalDiscoveryDue() {
  KillTimer(GetSafeHwnd(), kArrivalDiscoveryTimer);
  AwaitRead(connection_, worker_.Read(profile_));
}

void CMobrinDlg::ShowConnected(const SessionOutcome& read) {
  SetPageButtonsEnabled(true);
  ClearPageSelection();
  HideAllPages();
  // The first page of the table.
  Page& first = pages_.front();
  ShowPageWindow(first);
  first.button.SetSelected(true);
  ShowMouseRead(read);
}

void CMobrinDlg::ShowNoMouse() {
  KillTimer(GetSafeHwnd(), kArrivalDiscoveryTimer);
  ForEachBuiltPage([](CPage& page) { page.DropPendingChoices(); });
  ClearPageSelection();
  SetPageButtonsEnabled(false);
  HideAllPages();
  ShowPageWindow(NoMousePage());
  SetFirmwareVersionText(NoFirmwareVersionText());
  KeepFocusOnShownControls();
  worker_.Close();
}

void CMobrinDlg::BringBack() {
  WakeUp();
  HWND window = GetSafeHwnd();
  // A user who asks for the window wants to see it: a minimised one is
  // restored as well.
  ::ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window);
}

LRESULT CMobrinDlg::OnTrayIcon(LPARAM mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDBLCLK:
      BringBack();
      break;
    case WM_RBUTTONDOWN:
      tray_.OpenMenu(false);
      break;
    case WM_CONTEXTMENU:
      // The shell's report of the menu key (or Shift+F10) on the icon; it
      // also follows a right click, whose menu is open by then.
      tray_.OpenMenu(true);
      break;
    default:
      break;
  }
  return 1;
}

bool CMobrinDlg::OnSystemCommand(WPARAM command, LPARAM argument) {
  if (command == kStayOnTopRequest) {
    stayOnTop_.Request(GetSafeHwnd(), argument);
    return true;
  }
  if (tray_.IsMenuChoice(command)) {
    if (argument == kTrayConfigMouse) {
      BringBack();
    } else if (argument == kTrayExitSoftware) {
      RequestExit();
    }
    // A choice is not a system command: passed on, a menu identifier that
    // looked like one (move, size, minimise) would act on the window.
    return true;
  }
  return false;
}

bool CMobrinDlg::OnCommand(int controlId, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;
  if (Page* page = PageOfButton(controlId)) {
    ShowPage(*page);
    return true;
  }
  switch (controlId) {
    case IDC_MINIMISE_BUTTON:
      PostMessageW(GetSafeHwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
      return true;
    case IDC_CLOSE_BUTTON:
      ShowWindow(SW_HIDE);
      return true;
    default:
      return false;
  }
}

INT_PTR CMobrinDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DEVICECHANGE:
      SetMessageResult(OnDeviceChange(wParam, lParam) ? TRUE : FALSE);
      return TRUE;
    case kShowRequestMessage:
      BringBack();
      SetMessageResult(0);
      return TRUE;
    case kTrayIconMessage:
      SetMessageResult(OnTrayIcon(lParam));
      return TRUE;
    case WM_SYSCOMMAND:
      if (OnSystemCommand(wParam, lParam)) {
        SetMessageResult(0);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      // A press on the window's own surface (outside the pages and
      // controls) drags the window.
      BeginBodyDrag();
      break;
    case WM_DESTROY:
      newsWindow_ = nullptr;
      tray_.Remove();
      break;
    case WM_TIMER:
      if (wParam == kArrivalDiscoveryTimer) {
        OnArrivalDiscoveryDue();
        return TRUE;
      }
      if (wParam != kAddTrayIconTimer) break;
      KillTimer(GetSafeHwnd(), kAddTrayIconTimer);
      tray_.Add(GetSafeHwnd(), smallIcon_);
      return TRUE;
    case kDeviceNewsMessage:
      TakeDeviceNews();
      return TRUE;
    case kCompareWithMouseMessage:
      CompareWithMouse();
      return TRUE;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      SetMessageResult(0);
      return TRUE;
    case kRescaleMessage:
      RescaleWhenPagesAreFree();
      return TRUE;
    default:
      if (tray_.OnTaskbarCreated(message)) return TRUE;
      break;
  }
  return CZebImageDialog::DialogProc(message, wParam, lParam);
}

}  // namespace korvid
