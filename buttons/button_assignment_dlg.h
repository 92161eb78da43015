#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "buttons/button_functions.h"
#include "profile/profile_record.h"
#include "widgets/combo_buttons.h"
#include "widgets/page.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_static.h"

namespace korvid {

// The button assignment page: one combo button per mouse button, each
// dropping a menu of functions. Buttons 1 and 2 show their fixed function;
// buttons 3 to 5 take a mouse function, a wheel step, a keyboard key with
// modifiers (through the custom hotkey pop-up) or nothing.
class CButtonAssignmentDlg : public CPage {
 public:
  static constexpr int kFunctionButtons = 7;  // in the template; 1 to 5 are used

  CButtonAssignmentDlg(framework::CWnd* parent, PageHost& host);

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Shows the bindings of buttons 1 to 5 of the profile.
  void LoadFromProfile(const ProfileRecord& profile) override;
  // Writes buttons 1 to 5 into the profile; buttons[5] is left alone.
  void StoreToProfile(ProfileRecord& profile) override;

 private:
  // What function button n (1-5) holds.
  ButtonChoice ChoiceOf(int buttonNumber) const;
  void LayOutFunctionButton(int buttonNumber);
  bool OnToolTipText(NMHDR& header) override;
  // A choice from a function button's menu; true when the page handled it.
  bool OnFunctionChosen(int controlId, int functionId);
  void RunHotkeyPopup(CQuoBnComboButton& button);
  CQuoBnComboButton* FunctionButton(int controlId);

  std::array<CQuoBnComboButton, kFunctionButtons> functionButtons_;
  std::array<CZebStatic, kFunctionButtons> labels_;
  CZebButton applyButton_;
  // The binding each button was loaded with, for a button that holds one its
  // menu does not offer: it goes back to the mouse unchanged.
  std::array<std::optional<ButtonBinding>, kPageButtons> keptBindings_{};
};

}  // namespace korvid
