#pragma once
#include <string>

#include "framework/handles.h"
#include "framework/window.h"

namespace korvid {

// WM_SYSCOMMAND lParam with which a skinned edit tells its parent that its
// text changed (wParam: the edit's control ID).
inline constexpr LPARAM kEditChangedNotification = 102;

// A template edit control painted from a skin image, with its text in its
// own font and colour; the mouse wheel can step the number it holds.
// Editing, caret and selection stay the standard edit control's.
class CQuoEdit : public framework::CEdit {
 public:
  CQuoEdit();

  // "Arial" of this height, weight 400, given to the control.
  void SetFontHeight(int height);
  void SetBackgroundImage(framework::ImagePtr image);
  std::wstring GetText() const;
  void SetText(const std::wstring& text) const;

  COLORREF textColour = RGB(255, 255, 255);
  // The dimmed look of a field whose setting is switched off; the owner repaints.
  bool dimmed = false;
  // The wheel and the Up and Down keys add or take one step, bounded by the
  // maximum on the way up and the minimum on the way down; only while
  // stepping is on.
  int wheelStep = 0;
  int wheelMaximum = 0;
  int wheelMinimum = 0;
  int wheelStepping = 0;

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  HBRUSH OnReflectedCtlColor(HDC dc) override;
  void OnReflectedCommand(int notifyCode) override;
  // Draws background, text and selection into `dc`.
  void Paint(HDC dc) const;

 private:
  void OnMouseWheel(WPARAM wParam);
  // One step up (delta > 0) or down, as a wheel notch.
  void StepBy(int delta);
  // The x of the character boundary before character `index`.
  int CharacterX(HDC dc, const std::wstring& text, int index) const;

  framework::FontHandle font_;
  framework::ImagePtr background_;
};

}  // namespace korvid
