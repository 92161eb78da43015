#pragma once
#include <optional>
#include <string>

#include "buttons/hotkey_capture.h"
#include "framework/drag_full_windows.h"
#include "widgets/combo_buttons.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"
#include "widgets/zeb_static.h"

namespace korvid {

// The modal pop-up that binds a function button to a keyboard key with
// modifiers. It opens capturing: the first chord pressed (Ctrl+Shift+F5),
// seen through the low-level keyboard hook whatever window has the focus,
// becomes the key, and the four modifier toggles follow what was held. Then
// the keys work as in any dialog: Tab to the toggles, the key list, Save and
// Cancel; Space toggles; Enter saves, Escape cancels. A click on the key
// field, or Space on it, captures anew. Keys a keyboard may lack are chosen
// from the key list. Save hands the binding to `targetButton`; Cancel leaves it.
class CCustomHotkeyPop : public CZebImageDialog {
 public:
  explicit CCustomHotkeyPop(framework::CWnd* parent);
  ~CCustomHotkeyPop() override;

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  // Enter saves.
  void OnOK() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  bool PreTranslateMessage(MSG& message) override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  CQuoBnComboButton* targetButton = nullptr;
  std::wstring resultLabel;

 private:
  void LayOut();
  // The modifier mask of the toggles (1 Ctrl, 2 Shift, 4 Alt, 8 Win).
  int ToggledModifiers() const;
  void OnKeyEvent(int key, bool released);
  // Captures anew, leaving aside the keys down now.
  void BeginCapture();
  // Shows the capture: the toggles and the key field.
  void ShowCapture();
  bool OnKeyListChoice(WPARAM controlId, LPARAM key);
  void OnSave();
  // Removes the keyboard hook and puts the drag setting back; runs however
  // the pop-up closes.
  void EndCapture();

  CZebCheckBox ctrlToggle_, shiftToggle_, altToggle_, winToggle_;
  CZebStatic keyField_;
  CZebButton cancelButton_, saveButton_;
  CQuoBnComboButton keyList_;
  HotkeyCapture capture_;
  std::optional<framework::DragFullWindowsOn> dragFullWindows_;
};

}  // namespace korvid
