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
// modifiers. The key is captured through the low-level keyboard hook from
// the first key on, whatever window has the focus; the modifiers are set with
// four toggles. Save hands the binding to `targetButton`; Cancel leaves it.
class CCustomHotkeyPop : public CZebImageDialog {
 public:
  explicit CCustomHotkeyPop(framework::CWnd* parent);
  ~CCustomHotkeyPop() override;

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  bool PreTranslateMessage(MSG& message) override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  CQuoBnComboButton* targetButton = nullptr;
  std::wstring resultLabel;

 private:
  void LayOut();
  // The modifier mask of the toggles (1 Ctrl, 2 Shift, 4 Alt, 8 Win).
  int ToggledModifiers() const;
  void OnKeyEvent(int key);
  void OnSave();
  // Removes the keyboard hook and puts the drag setting back; runs however
  // the pop-up closes.
  void EndCapture();

  CZebCheckBox ctrlToggle_, shiftToggle_, altToggle_, winToggle_;
  CZebStatic keyField_;
  CZebButton cancelButton_, saveButton_;
  HotkeyCapture capture_;
  std::optional<framework::DragFullWindowsOn> dragFullWindows_;
};

}  // namespace korvid
