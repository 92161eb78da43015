#pragma once
#include "framework/handles.h"
#include "framework/window.h"
#include "skin/focus_mark.h"

namespace korvid {

// The look a button draws when it is neither selected, busy nor off: its
// normal one, the pointer over it, or pressed (an indicator that only shows
// a look is lit with the pressed one).
enum ButtonLook : int { kLookNormal = 0, kLookOver = 1, kLookDown = 2 };

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
  bool IsSelected() const { return selected_; }
  // Shows `look`; repaints on a change.
  void SetLook(ButtonLook look);
  ButtonLook GetLook() const { return look_; }
  // The left button went down on the button and has not come up.
  bool IsPressed() const { return pressedDown_; }
  // Enter presses the focused button (the default); a button that only picks
  // a choice (a palette swatch) leaves Enter to its dialog instead.
  void SetTakesEnter(bool takesEnter) { takesEnter_ = takesEnter; }
  // The dimmed look of a control whose setting is switched off; repaints on a change.
  void SetDimmed(bool dimmed);
  bool IsDimmed() const { return dimmed_; }
  // Where the focus mark goes, in client pixels (empty: the whole button),
  // and its look.
  void SetFocusMark(const RECT& area, FocusMarkLook look) {
    focusArea_ = area;
    focusLook_ = look;
  }
  // The look while the button's action runs (a write to the mouse).
  void SetBusyImage(framework::ImagePtr busy) { busy_ = std::move(busy); }
  // A busy button shows its busy look and takes no press, from the mouse or
  // the keys; it keeps the focus, so the keyboard user stays where they were.
  void SetBusy(bool busy);
  bool IsBusy() const { return isBusy_; }
  // A mark on the button's corner: what it would write differs from what
  // the mouse holds. Repaints on a change.
  void SetMarked(bool marked);
  bool IsMarked() const { return marked_; }

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
  // The button holds the capture to see the pointer leave.
  bool IsTracking() const { return tracking_; }
  // A press begins (true) or ends (false), with its look; the caller repaints.
  void ShowPressed(bool pressed) {
    pressedDown_ = pressed;
    look_ = pressed ? kLookDown : kLookNormal;
  }
  // The pointer has gone: no press, no hover look, nothing tracked.
  void LosePointer();
  // A toggle's click flips the selection; the caller repaints.
  void ToggleSelected() { selected_ = !selected_; }
  // Whether a WM_GETDLGCODE request (its lParam) is about an Enter press.
  static bool IsEnterDown(LPARAM dialogCodeRequest);
  // Enter on the focused button: reported as a click.
  virtual void PressFromKeyboard();

  framework::ImagePtr normal_, over_, pressed_, off_, busy_;
  bool isBusy_ = false;

 private:
  bool pressedDown_ = false;
  bool tracking_ = false;
  ButtonLook look_ = kLookNormal;
  bool selected_ = false;
  bool takesEnter_ = true;
  bool marked_ = false;
  bool dimmed_ = false;
  RECT focusArea_{};
  FocusMarkLook focusLook_ = FocusMarkLook::kGold;
};

// A toggle: a completed click, or Space while it has the focus, flips
// `selected` (the checked state); it shows only its normal and pressed looks.
class CZebCheckBox : public CZebButton {
 public:
  bool IsChecked() const { return IsSelected(); }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  void PressFromKeyboard() override;
  Gdiplus::Image* ImageToDraw() const override;
  void OnButtonUp(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool TakesPressedFromMove() const override { return false; }
};

}  // namespace korvid
