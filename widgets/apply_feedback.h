#pragma once
#include <string>

#include "framework/handles.h"
#include "framework/window.h"
#include "skin/sheets.h"
#include "widgets/apply_progress.h"
#include "widgets/zeb_button.h"

namespace korvid {

// The text of the confirmation, which its art shows and accessibility
// tools read.
inline constexpr wchar_t kSavedToTheMouse[] = L"Saved to the mouse";
// How long the confirmation stays.
inline constexpr UINT kConfirmationMs = 2000;

// The confirmation beside a button once a write has committed: its image
// cut from the skin's busy sheet, shown for a while, then gone by itself.
// It takes no input; the pointer and the clicks go to the page beneath.
class SavedConfirmation : public framework::CWnd {
 public:
  bool Create(HWND page, const SkinRect& rect, framework::ImagePtr image);
  void ShowForAWhile();
  void Hide();

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  framework::ImagePtr image_;
};

// What a page shows of the window's writes beside the button that starts
// them (Apply, Restore Defaults), as the window's kApplyProgressMessage
// tells it: while a write runs the button shows its busy look from the skin
// and takes no press; once the writes have committed, "Saved to the mouse"
// shows beside it for two seconds. A failed write shows nothing here: the
// window reports it as before.
class ApplyFeedback {
 public:
  // Cuts the button's busy look and the confirmation out of `busySheet`
  // (the button at its own rectangle, the confirmation at `confirmationRect`
  // of the page) and makes the confirmation's window on `page`.
  void Attach(CZebButton& button, const framework::CWnd& page, SkinSheet busySheet, const SkinRect& confirmationRect);
  void Show(ApplyProgress progress);
  // The button's mark that the pages differ from the mouse.
  void ShowUnapplied(bool unapplied);

 private:
  CZebButton* button_ = nullptr;
  SavedConfirmation confirmation_;
};

}  // namespace korvid
