#pragma once
#include <objbase.h>

#include "skin/sheets.h"

namespace korvid_fixture {

// GDI+ and COM for a fixture window's skin, for as long as the window lives.
class GraphicsSession {
 public:
  GraphicsSession() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    comInitialised_ = SUCCEEDED(CoInitialize(nullptr));
  }
  GraphicsSession(const GraphicsSession&) = delete;
  GraphicsSession& operator=(const GraphicsSession&) = delete;
  ~GraphicsSession() {
    korvid::UnloadSkin();
    if (comInitialised_) CoUninitialize();
    Gdiplus::GdiplusShutdown(token_);
  }

 private:
  ULONG_PTR token_ = 0;
  bool comInitialised_ = false;
};

}  // namespace korvid_fixture
