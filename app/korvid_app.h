#pragma once
#include "framework/app.h"
#include "framework/handles.h"

namespace korvid {

inline constexpr wchar_t kInstanceMutexName[] = L"ORVANTA KORVID GAMING MOUSE CONFIG";

// The application: one copy per logon session, GDI+ and COM around the main
// window, which runs modally inside InitInstance.
class CMobrinApp : public framework::CWinApp {
 public:
  BOOL InitInstance() override;
  int ExitInstance() override;

 private:
  ULONG_PTR gdiplusToken_ = 0;
  framework::UniqueHandle instanceMutex_;
  bool comInitialised_ = false;
};

}  // namespace korvid
