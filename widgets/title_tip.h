#pragma once
#include <memory>
#include <string>

#include "framework/handles.h"
#include "framework/window.h"

namespace korvid {

// A borderless, topmost, layered tip that draws a light box with a text and
// hides itself when the pointer leaves it or the user presses a key or a
// mouse button, passing that input on to the window underneath.
class CTitleTip : public framework::CWnd {
 public:
  CTitleTip();
  ~CTitleTip() override;

  bool Create(framework::CWnd* owner);
  void SetText(const std::wstring& text) { text_ = text; }
  void SetHoverRect(const RECT& rect) { hoverRect_ = rect; }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG& message) override;

  static constexpr wchar_t kClassName[] = L"ZTitleTip";
  static constexpr UINT_PTR kHideTimer = 1;

 private:
  void Paint();
  void Hide();
  // Hands a pointer message on to the window under the point.
  void PassPointerMessage(UINT message, WPARAM keyFlags, POINT clientPoint, bool hideOnNonClient);

  framework::CWnd* owner_ = nullptr;
  std::wstring text_;
  std::unique_ptr<Gdiplus::Font> font_;
  RECT hoverRect_{};
};

}  // namespace korvid
