#include "app/korvid_app.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/main_dialog.h"
#include "app/messages.h"
#include "app/single_instance.h"
#include "skin/sheets.h"

namespace korvid {

BOOL CMobrinApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  Gdiplus::GdiplusStartupInput gdiplusInput;
  Gdiplus::GdiplusStartup(&gdiplusToken_, &gdiplusInput, nullptr);

  InstanceClaim claim = ClaimInstance(kInstanceMutexName, kMainWindowTitle, kShowRequestMessage);
  if (!claim.first) return FALSE;
  instanceMutex_ = std::move(claim.mutex);

  comInitialised_ = SUCCEEDED(CoInitialize(nullptr));
  {
    CMobrinDlg dialog;
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
