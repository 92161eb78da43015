#pragma once
#include <initializer_list>
#include <span>
#include <string>

#include "framework/dialog.h"
#include "framework/handles.h"
#include "widgets/tool_tips.h"

namespace korvid {

// Base of every dialog and page: a background image that replaces the
// dialog's own background and fixes the window's size; the member controls
// bound to the template's; the tool tips of its controls.
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

  // A member control and the template control it takes over.
  struct ControlBinding {
    framework::CWnd& control;
    int id;
  };
  // Subclasses each template control into its member (for DoDataExchange).
  void BindControls(std::initializer_list<ControlBinding> bindings);

  // Makes the tool-tip control; the tips are added with AddToolTips and
  // AddToolTipFor. Its texts are asked for through OnToolTipText.
  void CreateToolTips();
  // Adds a tip for each control of `texts`, which OnToolTipText answers
  // from then on; `texts` must outlive the dialog.
  void AddToolTips(std::span<const ToolTipText> texts);
  // Adds a tip whose text the dialog's OnToolTipText gives.
  void AddToolTipFor(HWND control);
  // Gives the text of a tip when it shows; false when it is for no control
  // the dialog knows. By default the texts given to AddToolTips.
  virtual bool OnToolTipText(NMHDR& request);

 private:
  framework::ImagePtr background_;
  HWND toolTip_ = nullptr;  // destroyed with the dialog, its owner
  std::wstring shownToolTipText_;  // the last text answered, which the tip fits
  std::span<const ToolTipText> toolTipTexts_;
};

}  // namespace korvid
