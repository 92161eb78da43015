#pragma once
#include <string>
#include <vector>

#include "framework/handles.h"
#include "framework/window.h"

namespace korvid {

// An owner-drawn static: fill colour, background image, one image of a list
// and one text of a list, painted in that order. A notifying static that is
// a tab stop acts as a button from the keyboard: it shows the focus mark,
// and Space or Enter report a click to its parent.
class CZebStatic : public framework::CStatic {
 public:
  CZebStatic();

  // Sets text 0 and shows it. The window text follows, so that the label
  // reads the same to accessibility tools as on screen.
  void SetText(const std::wstring& text);
  std::wstring GetText() const;
  void SetFontHeight(int height);
  void SetBackgroundImage(framework::ImagePtr image);

  std::vector<std::wstring> texts;
  int textIndex = 0;
  std::vector<framework::ImagePtr> images;
  int imageIndex = 0;
  Gdiplus::ARGB fillColour = 0;
  Gdiplus::ARGB textColour = 0xFF000000;
  bool centreHorizontally = true;
  // Where the focus mark goes, in client pixels; empty for the whole control.
  RECT focusArea{};
  // The dimmed look of a control whose setting is switched off; the owner repaints.
  bool dimmed = false;

  void PreSubclassWindow() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  bool TakesKeys() const;

  framework::ImagePtr background_;
  framework::FontHandle font_;
};

}  // namespace korvid
