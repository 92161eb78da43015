#include "buttons/button_assignment_dlg.h"

#include <commctrl.h>

#include <string>

#include "buttons/binding_labels.h"
#include "buttons/custom_hotkey_pop.h"
#include "framework/wide_text.h"
#include "profile/function_codes.h"
#include "res/resource.h"
#include "skin/sheets.h"
#include "widgets/skin_layout.h"
#include "widgets/tool_tips.h"
#include "widgets/window_messages.h"

namespace korvid {
namespace {

const SkinRect kApplyRect = RectAt(686, 426, 219, 61);
// "Saved to the mouse" beside Apply, in place of its hint.
const SkinRect kSavedRect = RectAt(416, 440, 256, 32);
const SkinRect kFunctionButtonRects[kPageButtons] = {
    RectAt(623, 132, 282, 34), RectAt(623, 169, 282, 34), RectAt(623, 207, 282, 31),
    RectAt(623, 245, 282, 31), RectAt(623, 282, 282, 31),
};
constexpr int kFixedButtons = 2;  // buttons 1 and 2 always show their own click

// Apply's tip; the function buttons' tips describe what each one holds.
constexpr ToolTipText kToolTips[] = {{IDC_BUTTON_PAGE_APPLY, kApplyToolTip}};

}  // namespace

CButtonAssignmentDlg::CButtonAssignmentDlg(framework::CWnd* parent, PageHost& host)
    : CPage(IDD_BUTTON_PAGE, parent, host) {}

void CButtonAssignmentDlg::DoDataExchange() {
  for (int i = 0; i < kFunctionButtons; ++i) {
    functionButtons_[static_cast<size_t>(i)].SubclassDlgItem(IDC_FUNCTION_BUTTON_1 + i, *this);
    labels_[static_cast<size_t>(i)].SubclassDlgItem(IDC_BUTTON_TEXT_1 + i, *this);
  }
  applyButton_.SubclassDlgItem(IDC_BUTTON_PAGE_APPLY, *this);
}

BOOL CButtonAssignmentDlg::OnInitDialog() {
  CPage::OnInitDialog();
  if (!SkinLoaded()) LoadSkin();
  SetBackground(SkinSheetImage(kButtonsNormal));
  for (CZebStatic& label : labels_) label.ShowWindow(SW_HIDE);
  for (int n = 1; n <= kPageButtons; ++n) LayOutFunctionButton(n);
  for (size_t i = kPageButtons; i < functionButtons_.size(); ++i) functionButtons_[i].ShowWindow(SW_HIDE);
  PlaceSkinnedButton(applyButton_, kApplyRect, kButtonsNormal, kButtonsOver, kButtonsDown);
  AttachApplyFeedback(applyButton_, kButtonsBusy, kSavedRect);
  // The tips show as the main window's do: the page is asked for each text.
  CreateToolTips();
  for (int n = 1; n <= kPageButtons; ++n) AddToolTipFor(functionButtons_[static_cast<size_t>(n - 1)].GetSafeHwnd());
  AddToolTips(kToolTips);
  return TRUE;
}

void CButtonAssignmentDlg::LayOutFunctionButton(int buttonNumber) {
  CQuoBnComboButton& button = functionButtons_[static_cast<size_t>(buttonNumber - 1)];
  PlaceSkinnedButton(button, kFunctionButtonRects[buttonNumber - 1], kButtonsNormal, kButtonsOver, kButtonsDown);
  for (const MenuItem& item : ButtonMenu(buttonNumber)) button.AddMenuItem(item.functionId, framework::ToWide(item.label));
  button.SelectItem(InitialButtonItem(buttonNumber).functionId);
  if (buttonNumber <= kFixedButtons) button.SetMenuEnabled(false);
}

bool CButtonAssignmentDlg::OnToolTipText(NMHDR& header) {
  if (CPage::OnToolTipText(header)) return true;
  auto& request = reinterpret_cast<NMTTDISPINFOW&>(header);
  const int id = ToolTipControlId(header);
  const CQuoBnComboButton* button = FunctionButton(id);
  if (!button) return false;
  const int index = id - IDC_FUNCTION_BUTTON_1;
  const std::optional<ButtonBinding>& kept = keptBindings_[static_cast<size_t>(index)];
  const int functionId =
      button->FunctionId() == kFnKeptBinding && kept ? KeptBindingFunction(index + 1, *kept) : button->FunctionId();
  // Copied into the request's own buffer: the text must outlive this call.
  const std::wstring text = framework::ToWide(DescribeFunction(functionId));
  lstrcpynW(request.szText, text.c_str(), static_cast<int>(std::size(request.szText)));
  request.lpszText = request.szText;
  return true;
}

CQuoBnComboButton* CButtonAssignmentDlg::FunctionButton(int controlId) {
  const int index = controlId - IDC_FUNCTION_BUTTON_1;
  if (index < 0 || index >= kPageButtons) return nullptr;
  return &functionButtons_[static_cast<size_t>(index)];
}

ButtonChoice CButtonAssignmentDlg::ChoiceOf(int buttonNumber) const {
  const CQuoBnComboButton& button = functionButtons_[static_cast<size_t>(buttonNumber - 1)];
  return ButtonChoice{framework::FromWide(button.Label()), button.FunctionId(), button.Modifiers(),
                      keptBindings_[static_cast<size_t>(buttonNumber - 1)]};
}

void CButtonAssignmentDlg::LoadFromProfile(const ProfileRecord& profile) {
  for (int n = 1; n <= kPageButtons; ++n) {
    const ButtonChoice choice = ChoiceFromBinding(n, profile.buttons[static_cast<size_t>(n - 1)], ChoiceOf(n));
    functionButtons_[static_cast<size_t>(n - 1)].SetBinding(framework::ToWide(choice.label), choice.functionId,
                                                            choice.modifiers);
    keptBindings_[static_cast<size_t>(n - 1)] = choice.kept;
  }
}

void CButtonAssignmentDlg::StoreToProfile(ProfileRecord& profile) {
  for (int n = 1; n <= kPageButtons; ++n) StoreChoice(n, ChoiceOf(n), profile.buttons[static_cast<size_t>(n - 1)]);
}

bool CButtonAssignmentDlg::OnFunctionChosen(int controlId, int functionId) {
  CQuoBnComboButton* button = FunctionButton(controlId);
  if (!button) return false;
  const bool takesKeys = controlId - IDC_FUNCTION_BUTTON_1 >= kFixedButtons;
  if (takesKeys && functionId == kFnKeyboardKey) RunHotkeyPopup(*button);
  // Any other choice the button takes as its function itself. A choice is
  // not a system command, so it goes no further.
  return true;
}

void CButtonAssignmentDlg::RunHotkeyPopup(CQuoBnComboButton& button) {
  CCustomHotkeyPop popup(this);
  popup.targetButton = &button;
  RunChoicePopup(popup);
  // "Keyboard key" itself never becomes the button's function: it keeps what
  // Save gave it, or what it had.
  button.SetAdoptsSelection(false);
}

bool CButtonAssignmentDlg::OnCommand(int controlId, int notifyCode, HWND) {
  if (controlId == IDC_BUTTON_PAGE_APPLY && notifyCode == BN_CLICKED) {
    Host().StartApply();
    return true;
  }
  return false;
}

INT_PTR CButtonAssignmentDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The stay-on-top request is the page base's to pass up.
  if (message == WM_SYSCOMMAND && wParam != kStayOnTopRequest &&
      OnFunctionChosen(static_cast<int>(wParam), static_cast<int>(lParam))) {
    SetMessageResult(0);
    return TRUE;
  }
  return CPage::DialogProc(message, wParam, lParam);
}

}  // namespace korvid
