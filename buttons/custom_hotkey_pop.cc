#include "buttons/custom_hotkey_pop.h"

#include <utility>
#include <vector>

#include "buttons/binding_labels.h"
#include "framework/message_caption.h"
#include "framework/wide_text.h"
#include "res/resource.h"
#include "skin/elements.h"
#include "skin/sheets.h"
#include "widgets/input_hooks.h"
#include "widgets/skin_layout.h"

namespace korvid {
namespace {

constexpr wchar_t kTitle[] = L"Custom Hotkey";
constexpr wchar_t kSetHookFailed[] = L"set hook failed.";

constexpr int kBackgroundElement = 272;  // the whole Key_Normal sheet
constexpr int kKeyFieldElement = 277;
constexpr int kKeyFieldFontHeight = 20;
constexpr Gdiplus::ARGB kKeyTextColour = 0xFFFFFFFF;
// A refused key is named in the skin's warning red.
constexpr Gdiplus::ARGB kRefusedTextColour = 0xFFE8484D;

struct PopupControl {
  int element;
  SkinRect rect;
};

constexpr PopupControl kShiftPlace{274, RectAt(38, 145, 27, 27)};
constexpr PopupControl kCtrlPlace{273, RectAt(140, 145, 28, 27)};
constexpr PopupControl kAltPlace{275, RectAt(245, 145, 29, 27)};
constexpr PopupControl kWinPlace{276, RectAt(338, 145, 29, 27)};
constexpr PopupControl kSavePlace{279, RectAt(218, 205, 97, 37)};
constexpr PopupControl kCancelPlace{278, RectAt(327, 205, 99, 37)};
constexpr SkinRect kKeyFieldRect = RectAt(43, 88, 377, 43);
constexpr SkinRect kKeyListRect = RectAt(43, 205, 163, 37);
constexpr wchar_t kKeyListLabel[] = L"Other keys";
// Virtual keys from Backspace on: the mouse buttons below it are not keys.
constexpr int kFirstKeyboardKey = 0x08;
constexpr int kLastKey = 0xFF;

// Normal look from the element, pointer-over and pressed from Key_Down.
void PlacePopupButton(CZebButton& button, const PopupControl& place) {
  PlaceControl(button, place.rect);
  button.SetImages(GetSkinElementImage(place.element, kSkinNormal, place.rect).Take(),
                   CropSkinImage(kKeyDown, place.rect), CropSkinImage(kKeyDown, place.rect));
}

}  // namespace

CCustomHotkeyPop::CCustomHotkeyPop(framework::CWnd* parent) : CZebImageDialog(IDD_HOTKEY_POPUP, parent) {}

CCustomHotkeyPop::~CCustomHotkeyPop() { EndCapture(); }

void CCustomHotkeyPop::DoDataExchange() {
  BindControls({{ctrlToggle_, IDC_HOTKEY_CTRL}, {shiftToggle_, IDC_HOTKEY_SHIFT}, {altToggle_, IDC_HOTKEY_ALT},
                {winToggle_, IDC_HOTKEY_WIN}, {keyField_, IDC_HOTKEY_KEY}, {cancelButton_, IDC_HOTKEY_CANCEL},
                {saveButton_, IDC_HOTKEY_SAVE}, {keyList_, IDC_HOTKEY_KEY_LIST}});
}

BOOL CCustomHotkeyPop::OnInitDialog() {
  CZebImageDialog::OnInitDialog();
  dragFullWindows_.emplace();
  ModifyStyle(WS_CAPTION, 0);
  // Not drawn (there is no caption), but it names the window to the task
  // switcher and to accessibility tools.
  SetWindowText(kTitle);
  LayOut();
  BeginCapture();
  if (!InstallKeyboardCaptureHook(GetSafeHwnd())) {
    // Without the hook nothing is captured: the keys stay the dialog's.
    StopCapture(capture_);
    MessageBoxW(GetSafeHwnd(), kSetHookFailed, kMessageCaption, MB_OK);
  }
  ShowCapture();
  SetFocus(keyField_.GetSafeHwnd());
  return FALSE;  // the focus is set
}

void CCustomHotkeyPop::LayOut() {
  if (!SkinLoaded()) LoadSkin();
  SetBackground(GetSkinElementImage(kBackgroundElement, kSkinNormal, {}).get());
  PlacePopupButton(shiftToggle_, kShiftPlace);
  PlacePopupButton(ctrlToggle_, kCtrlPlace);
  PlacePopupButton(altToggle_, kAltPlace);
  PlacePopupButton(winToggle_, kWinPlace);
  // Space flips a toggle; Enter is the dialog's Save.
  for (CZebCheckBox* toggle : {&shiftToggle_, &ctrlToggle_, &altToggle_, &winToggle_}) toggle->SetTakesEnter(false);
  PlaceControl(keyList_, kKeyListRect);
  keyList_.SetImages(CropSkinImage(kKeyNormal, kKeyListRect), CropSkinImage(kKeyDown, kKeyListRect),
                     CropSkinImage(kKeyDown, kKeyListRect));
  for (const ListedKey& listed : KeyList()) keyList_.AddMenuItem(listed.key, framework::ToWide(listed.name));
  keyList_.ShowLabel(kKeyListLabel);
  PlacePopupButton(saveButton_, kSavePlace);
  PlacePopupButton(cancelButton_, kCancelPlace);
  PlaceControl(keyField_, kKeyFieldRect);
  keyField_.SetBackgroundImage(GetSkinElementImage(kKeyFieldElement, kSkinNormal, kKeyFieldRect).Take());
  keyField_.SetFontHeight(kKeyFieldFontHeight);
  keyField_.textColour = kKeyTextColour;
  keyField_.SetText(L"");
}

int CCustomHotkeyPop::ToggledModifiers() const {
  return (ctrlToggle_.IsChecked() ? kModCtrl : 0) | (shiftToggle_.IsChecked() ? kModShift : 0) |
         (altToggle_.IsChecked() ? kModAlt : 0) | (winToggle_.IsChecked() ? kModWin : 0);
}

void CCustomHotkeyPop::BeginCapture() {
  std::vector<int> keysDown;
  for (int key = kFirstKeyboardKey; key <= kLastKey; ++key) {
    if (GetAsyncKeyState(key) & 0x8000) keysDown.push_back(key);
  }
  StartCapture(capture_, keysDown);
}

void CCustomHotkeyPop::OnKeyEvent(int key, bool released) {
  // With the key list open the keys are the list's.
  if (const CQuoBnMenu* list = keyList_.Menu(); capture_.capturing && list && list->IsWindowVisible()) {
    StopCapture(capture_);
  }
  const bool wasCapturing = capture_.capturing;
  TakeKeyEvent(capture_, key, released);
  if (wasCapturing) ShowCapture();
}

void CCustomHotkeyPop::ShowCapture() {
  const int shown = capture_.modifiers | capture_.heldModifiers;
  const std::pair<CZebCheckBox*, int> toggles[] = {
      {&ctrlToggle_, kModCtrl}, {&shiftToggle_, kModShift}, {&altToggle_, kModAlt}, {&winToggle_, kModWin}};
  for (const auto& [toggle, bit] : toggles) {
    if (toggle->IsChecked() != ((shown & bit) != 0)) toggle->SetSelected((shown & bit) != 0);
  }
  keyField_.textColour = capture_.keyCaptured && capture_.refused ? kRefusedTextColour : kKeyTextColour;
  keyField_.SetText(framework::ToWide(KeyFieldText(capture_)));
}

bool CCustomHotkeyPop::OnKeyListChoice(WPARAM controlId, LPARAM key) {
  if (controlId != IDC_HOTKEY_KEY_LIST) return false;
  // The list keeps its own label; the key goes to the key field.
  keyList_.SetAdoptsSelection(false);
  ChooseListedKey(capture_, static_cast<int>(key));
  ShowCapture();
  return true;
}

void CCustomHotkeyPop::OnSave() {
  const HotkeyBinding binding = SaveHotkey(capture_, ToggledModifiers());
  if (!binding.changes) {
    EndDialog(IDOK);
    return;
  }
  resultLabel = framework::ToWide(binding.label);
  if (targetButton) targetButton->SetBinding(resultLabel, binding.functionId, binding.modifiers);
  EndDialog(IDCANCEL);
}

void CCustomHotkeyPop::OnOK() { OnSave(); }

bool CCustomHotkeyPop::OnCommand(int controlId, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;  // STN_CLICKED has the same code
  switch (controlId) {
    case IDC_HOTKEY_SAVE:
      OnSave();
      return true;
    case IDC_HOTKEY_CANCEL:
      OnCancel();
      return true;
    case IDC_HOTKEY_KEY:
      BeginCapture();
      ShowCapture();
      return true;
    case IDC_HOTKEY_CTRL:
    case IDC_HOTKEY_SHIFT:
    case IDC_HOTKEY_ALT:
    case IDC_HOTKEY_WIN:
      // A toggle flips itself; the field shows the combination it makes.
      capture_.modifiers = ToggledModifiers();
      ShowCapture();
      return true;
    default:
      return false;
  }
}

// The hook's post for a key press is handled before the press itself comes
// out of the input queue, so while a chord is taken its keys (Enter, Escape
// and Tab too) are the capture's, never the dialog's to act on.
bool CCustomHotkeyPop::PreTranslateMessage(MSG& message) {
  const UINT kind = message.message;
  if (kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN || kind == WM_KEYUP || kind == WM_SYSKEYUP) {
    const bool released = kind == WM_KEYUP || kind == WM_SYSKEYUP;
    if (SwallowsKeyMessage(capture_, static_cast<int>(message.wParam), released)) return true;
    // On the key field Space captures anew and Enter saves, as elsewhere.
    if (kind == WM_KEYDOWN && message.wParam == VK_RETURN && message.hwnd == keyField_.GetSafeHwnd()) {
      OnSave();
      return true;
    }
  }
  return CZebImageDialog::PreTranslateMessage(message);
}

void CCustomHotkeyPop::EndCapture() {
  RemoveKeyboardCaptureHook();
  capture_.keyCaptured = false;
  dragFullWindows_.reset();
}

INT_PTR CCustomHotkeyPop::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kHookEventMessage:
      OnKeyEvent(static_cast<int>(wParam), (lParam & LLKHF_UP) != 0);
      SetMessageResult(1);
      return TRUE;
    case WM_SYSCOMMAND:
      if (wParam == kStayOnTopRequest) {
        // The key list's menu asks the window to stay on top as it closes.
        SendMessageW(::GetParent(GetSafeHwnd()), message, wParam, lParam);
        SetMessageResult(0);
        return TRUE;
      }
      if (OnKeyListChoice(wParam, lParam)) {
        SetMessageResult(0);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      BeginBodyDrag();
      break;
    case WM_DESTROY:
      EndCapture();
      break;
    default:
      break;
  }
  return CZebImageDialog::DialogProc(message, wParam, lParam);
}

}  // namespace korvid
