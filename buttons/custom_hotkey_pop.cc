#include "buttons/custom_hotkey_pop.h"

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
                {saveButton_, IDC_HOTKEY_SAVE}});
}

BOOL CCustomHotkeyPop::OnInitDialog() {
  CZebImageDialog::OnInitDialog();
  dragFullWindows_.emplace();
  ModifyStyle(WS_CAPTION, 0);
  // Not drawn (there is no caption), but it names the window to the task
  // switcher and to accessibility tools.
  SetWindowText(kTitle);
  LayOut();
  if (!InstallKeyboardCaptureHook(GetSafeHwnd())) {
    MessageBoxW(GetSafeHwnd(), kSetHookFailed, kMessageCaption, MB_OK);
  }
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

void CCustomHotkeyPop::OnKeyEvent(int key) {
  TakeKeyEvent(capture_, key);
  keyField_.textColour = capture_.refused ? kRefusedTextColour : kKeyTextColour;
  keyField_.SetText(framework::ToWide(KeyFieldText(capture_)));
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

bool CCustomHotkeyPop::OnCommand(int controlId, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;
  switch (controlId) {
    case IDC_HOTKEY_SAVE:
      OnSave();
      return true;
    case IDC_HOTKEY_CANCEL:
      OnCancel();
      return true;
    default:
      return false;
  }
}

// The hook's post for a key press is handled before the press itself comes
// out of the input queue, so from the first key on (Enter and Escape too)
// the keys are the pop-up's to capture, never the dialog's to act on.
bool CCustomHotkeyPop::PreTranslateMessage(MSG& message) {
  return capture_.keyCaptured && (message.message == WM_KEYDOWN || message.message == WM_KEYUP);
}

void CCustomHotkeyPop::EndCapture() {
  RemoveKeyboardCaptureHook();
  capture_.keyCaptured = false;
  dragFullWindows_.reset();
}

INT_PTR CCustomHotkeyPop::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kHookEventMessage:
      OnKeyEvent(static_cast<int>(wParam));
      SetMessageResult(1);
      return TRUE;
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
