#include "framework/app.h"

namespace framework {
namespace {
CWinApp* currentApp = nullptr;
}  // namespace

CWinApp::CWinApp() { currentApp = this; }

CWinApp::~CWinApp() {
  if (currentApp == this) currentApp = nullptr;
}

CWinApp* CWinApp::Current() { return currentApp; }

int CWinApp::Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  exitCode_ = static_cast<int>(message.wParam);
  return exitCode_;
}

int RunApplication() {
  CWinApp* app = CWinApp::Current();
  if (!app) return 1;
  if (app->InitInstance()) app->Run();
  return app->ExitInstance();
}

}  // namespace framework
