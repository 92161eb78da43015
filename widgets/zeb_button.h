#pragma once
#include "framework/handles.h"
#include "framework/window.h"

namespace korvid {

// An owner-drawn push button painted from skin images: normal, pointer
// over, pressed (also the selected look) and off (disabled).
class CZebButton : public framework::CButton {
 public:
  // Takes the three images; the off image is cleared.
  void SetImages(framework::ImagePtr normal, framework::ImagePtr over, framework::ImagePtr down);
  // The disabled look; without one a disabled button keeps its normal look.
  void SetOffImage(framework::ImagePtr off) {
    off_ = std::move(off);
    Invalidate(false);
  }
  void SetSelected(bool selected);
  bool IsSelected() const { return selected != 0; }
  // The look while the button's action runs (a write to the mouse).
  void SetBusyImage(framework::ImagePtr busy) { busy_ = std::move(busy); }
  // A busy button shows its busy look and takes no press, from the mouse or
  // the keys; it keeps the focus, so the keyboard user stays where they were.
  void SetBusy(bool busy);
  bool IsBusy() const { return isBusy_; }

  int pressed = 0;
  int tracking = 0;
  int state = 0;
  int selected = 0;
  // Enter presses the focused button; a button that only picks a choice
  // (a palette swatch) leaves Enter to its dialog instead.
  int takesEnter = 1;

  void PreSubclassWindow() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DrawItem(const DRAWITEMSTRUCT& item) override;

 protected:
  // The image for the current looks, or null to draw nothing.
  virtual Gdiplus::Image* ImageToDraw() const;
  virtual void OnButtonUp(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  virtual bool TakesPressedFromMove() const { return true; }
  void OnMouseMove(WPARAM keyFlags, LPARAM point);
  void Repaint() { Invalidate(false); }
  // Whether a WM_GETDLGCODE request (its lParam) is about an Enter press.
  static bool IsEnterDown(LPARAM dialogCodeRequest);
  // Enter on the focused button: reported as a click.
  virtual void PressFromKeyboard();

  framework::ImagePtr normal_, over_, pressed_, off_, busy_;
  bool isBusy_ = false;
};

// A toggle: a completed click flips `selected` (the checked state); it shows
// only its normal and pressed looks.
class CZebCheckBox : public CZebButton {
 public:
  bool IsChecked() const { return selected != 0; }

 protected:
  Gdiplus::Image* ImageToDraw() const override;
  void OnButtonUp(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool TakesPressedFromMove() const override { return false; }
};

}  // namespace korvid
