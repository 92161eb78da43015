#include "app/korvid_app.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/main_dialog.h"
#include "app/messages.h"
#include "app/single_instance.h"
#include "app/start_options.h"
#include "skin/sheets.h"

namespace korvid {

BOOL CMobrinApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  Gdiplus::GdiplusStartupInput gdiplusInput;
  Gdiplus::GdiplusStartup(&gdiplusToken_, &gdiplusInput, nullptr);

  // A running copy shows its window, unless this start asks for none (the
  // sign-in entry while the program runs already); then the mutex decides
  // who runs.
  const StartOptions options = ParseStartOptions(CommandLineArguments());
  InstanceClaim claim =
      ClaimInstance(kInstanceMutexName, kMainWindowTitle, options.hiddenInTray ? 0 : kShowRequestMessage);
  if (!claim.first) return FALSE;
  instanceMutex_ = std::move(claim.mutex);

  comInitialised_ = SUCCEEDED(CoInitialize(nullptr));
  {
    CMobrinDlg dialog(options.hiddenInTray);
    mainWindow = &dialog;
    dialog.DoModal();
    mainWindow = nullptr;
  }
  return FALSE;
}

int CMobrinApp::ExitInstance() {
  if (comInitialised_) CoUninitialize();
  UnloadSkin();
  Gdiplus::GdiplusShutdown(gdiplusToken_);
  if (instanceMutex_) {
    ReleaseMutex(instanceMutex_.get());
    instanceMutex_.reset();
  }
  return CWinApp::ExitInstance();
}

}  // namespace korvid
