#pragma once
#include "framework/window.h"

namespace framework {

// The application object: one per process, constructed before wWinMain runs.
// InitInstance returning FALSE skips the message loop, as when the main
// window ran modally inside it; ExitInstance's result is the exit code.
class CWinApp {
 public:
  CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  virtual ~CWinApp();

  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance() { return exitCode_; }
  int Run();

  static CWinApp* Current();
  CWnd* mainWindow = nullptr;

 protected:
  int exitCode_ = 0;
};

// Body of wWinMain: initialisation, the loop if asked for, the exit.
int RunApplication();

}  // namespace framework
