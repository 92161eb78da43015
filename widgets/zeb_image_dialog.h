#pragma once
#include "framework/dialog.h"
#include "framework/handles.h"

namespace korvid {

// Base of every dialog and page: a background image that replaces the
// dialog's own background and fixes the window's size.
class CZebImageDialog : public framework::CDialogEx {
 public:
  using CDialogEx::CDialogEx;

  // Takes a copy of the image (the caller keeps its own) and resizes the
  // window to the image, keeping its top-left corner.
  void SetBackground(Gdiplus::Image* image);
  Gdiplus::Image* Background() const { return background_.get(); }

  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Keys go to an open pop-up menu first; a key that moves through the
  // window shows the keyboard focus mark from then on.
  bool PreTranslateMessage(MSG& message) override;

 protected:
  // Paints the background into `dc` through a memory bitmap; false when
  // there is no background.
  bool PaintBackground(HDC dc);
  // Lets the user drag a top-level dialog by its body.
  void BeginBodyDrag();

 private:
  framework::ImagePtr background_;
};

}  // namespace korvid
