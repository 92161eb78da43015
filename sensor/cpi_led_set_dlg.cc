#include "sensor/cpi_led_set_dlg.h"

#include "res/resource.h"
#include "sensor/advanced_settings_dlg.h"
#include "skin/elements.h"
#include "skin/sheets.h"
#include "widgets/skin_layout.h"

namespace korvid {
namespace {

constexpr int kBackgroundElement = 366;

struct ButtonPlace {
  int id;
  int element;
  SkinRect rect;
};
const ButtonPlace kClose{IDC_COLOUR_CLOSE, 368, RectAt(389, 7, 24, 23)};
const ButtonPlace kCancel{IDC_COLOUR_CANCEL, 369, RectAt(218, 232, 189, 61)};
const ButtonPlace kSave{IDC_COLOUR_SAVE, 367, RectAt(14, 232, 189, 61)};

// Palette index 1 to 16 in order; the buttons of the first four columns
// are shown, the others hidden (element 0: no images).
const ButtonPlace kColourButtons[kPaletteSize] = {
    {IDC_COLOUR_A1, 383, RectAt(13, 47, 101, 64)},  {IDC_COLOUR_A2, 384, RectAt(113, 47, 99, 64)},
    {IDC_COLOUR_A3, 385, RectAt(211, 49, 99, 62)},  {IDC_COLOUR_A4, 386, RectAt(309, 49, 99, 62)},
    {IDC_COLOUR_A5, 0, {}},                         {IDC_COLOUR_A6, 0, {}},
    {IDC_COLOUR_A7, 0, {}},                         {IDC_COLOUR_A8, 0, {}},
    {IDC_COLOUR_B1, 391, RectAt(13, 110, 101, 63)}, {IDC_COLOUR_B2, 392, RectAt(113, 110, 99, 63)},
    {IDC_COLOUR_B3, 393, RectAt(211, 110, 99, 63)}, {IDC_COLOUR_B4, 394, RectAt(309, 110, 99, 63)},
    {IDC_COLOUR_B5, 0, {}},                         {IDC_COLOUR_B6, 0, {}},
    {IDC_COLOUR_B7, 0, {}},                         {IDC_COLOUR_B8, 0, {}},
};

// The title beside the skin's mark, and the custom colour row: its label,
// the field and the preview inside the skin's wells, and the hint.
const SkinRect kTitleRect = RectAt(42, 11, 330, 24);
const SkinRect kCustomLabelRect = RectAt(16, 186, 128, 32);
const SkinRect kCustomFieldRect = RectAt(156, 190, 98, 26);
const SkinRect kPreviewRect = RectAt(272, 188, 28, 28);
const SkinRect kHintRect = RectAt(312, 186, 100, 32);

constexpr wchar_t kCustomLabel[] = L"Or a custom colour:";
constexpr wchar_t kHint[] = L"Type #RRGGBB";
constexpr wchar_t kInvalidHint[] = L"Not a colour";
// The longest text the field takes: a colour with blanks around it.
constexpr int kCustomTextLimit = 16;

constexpr int kTitleFontHeight = 19;
constexpr int kLabelFontHeight = 16;
constexpr int kHintFontHeight = 14;
constexpr int kFieldFontHeight = 22;
constexpr Gdiplus::ARGB kTitleColour = 0xFFEEEEEE;
constexpr Gdiplus::ARGB kLabelColour = 0xFFB2B2B4;
constexpr Gdiplus::ARGB kInvalidColour = 0xFFE8484D;
constexpr COLORREF kFieldText = RGB(238, 238, 238);
constexpr COLORREF kInvalidFieldText = RGB(232, 72, 77);
// The preview with no colour chosen: the well's own dark.
constexpr Gdiplus::ARGB kNoColourFill = 0xFF101011;

void PlaceElementButton(CZebButton& button, const ButtonPlace& place) {
  PlaceControl(button, place.rect);
  button.SetImages(GetSkinElementImage(place.element, kSkinNormal, place.rect).Take(),
                   GetSkinElementImage(place.element, kSkinOver, place.rect).Take(),
                   GetSkinElementImage(place.element, kSkinPressed, place.rect).Take());
}

// A label drawn by the program over the cut of the sheet behind it.
void PlaceLabel(CZebStatic& label, const SkinRect& rect, int fontHeight, Gdiplus::ARGB colour) {
  PlaceControl(label, rect);
  label.SetBackgroundImage(CropSkinImage(kColorNormal, rect));
  label.SetFontHeight(fontHeight);
  label.textColour = colour;
  label.centreHorizontally = false;
}

// The shown swatch of a colour, as a palette index; 0 when none shows it.
int ShownSwatchOf(uint32_t colour) {
  for (int i = 0; i < kPaletteSize; ++i) {
    if (kColourButtons[i].element != 0 && PaletteColour(i + 1) == colour) return i + 1;
  }
  return 0;
}

}  // namespace

CCPILedSetDlg::CCPILedSetDlg(int level, uint32_t currentColour, std::wstring title, CAdvancedSettingsDlg& page)
    : CZebImageDialog(IDD_COLOUR_DIALOG, &page),
      level_(level),
      currentColour_(currentColour & 0xFFFFFF),
      title_(std::move(title)),
      page_(page) {}

void CCPILedSetDlg::DoDataExchange() {
  closeButton_.SubclassDlgItem(kClose.id, *this);
  cancelButton_.SubclassDlgItem(kCancel.id, *this);
  saveButton_.SubclassDlgItem(kSave.id, *this);
  for (int i = 0; i < kPaletteSize; ++i) colourButtons_[i].SubclassDlgItem(kColourButtons[i].id, *this);
  BindControls({{titleLabel_, IDC_COLOUR_TITLE}, {customLabel_, IDC_COLOUR_CUSTOM_LABEL},
                {customField_, IDC_COLOUR_CUSTOM}, {preview_, IDC_COLOUR_PREVIEW}, {hint_, IDC_COLOUR_HINT}});
}

BOOL CCPILedSetDlg::OnInitDialog() {
  CZebImageDialog::OnInitDialog();
  SetBackground(GetSkinElementImage(kBackgroundElement, kSkinNormal, {}).get());
  SetWindowText(title_);
  PlaceElementButton(closeButton_, kClose);
  PlaceElementButton(cancelButton_, kCancel);
  PlaceElementButton(saveButton_, kSave);
  for (int i = 0; i < kPaletteSize; ++i) {
    // Enter on a swatch is the dialog's: it saves that swatch (OnOK).
    colourButtons_[i].SetTakesEnter(false);
    if (kColourButtons[i].element != 0) {
      PlaceElementButton(colourButtons_[i], kColourButtons[i]);
    } else {
      colourButtons_[i].ShowWindow(SW_HIDE);
    }
  }
  PlaceLabel(titleLabel_, kTitleRect, kTitleFontHeight, kTitleColour);
  titleLabel_.SetText(title_);
  PlaceLabel(customLabel_, kCustomLabelRect, kLabelFontHeight, kLabelColour);
  customLabel_.SetText(kCustomLabel);
  PlaceLabel(hint_, kHintRect, kHintFontHeight, kLabelColour);
  PlaceControl(preview_, kPreviewRect);
  PlaceControl(customField_, kCustomFieldRect);
  customField_.SetBackgroundImage(CropSkinImage(kColorNormal, kCustomFieldRect));
  customField_.SetFontHeight(kFieldFontHeight);
  SendMessageW(customField_.GetSafeHwnd(), EM_LIMITTEXT, kCustomTextLimit, 0);
  customField_.SetText(CustomColourText(currentColour_));
  ShowChoice();
  // The focus starts on the level's colour, so that Enter keeps it: its
  // swatch, or the field with its text selected for retyping.
  const int marked = ShownSwatchOf(currentColour_);
  if (marked != 0) {
    SetFocus(colourButtons_[marked - 1].GetSafeHwnd());
  } else {
    SetFocus(customField_.GetSafeHwnd());
    SendMessageW(customField_.GetSafeHwnd(), EM_SETSEL, 0, -1);
  }
  return FALSE;
}

void CCPILedSetDlg::ShowChoice() {
  const CustomColour choice = CustomColourFromText(customField_.GetText());
  const bool isColour = choice.kind == CustomColour::Kind::kColour;
  const bool invalid = choice.kind == CustomColour::Kind::kInvalid;
  const int marked = isColour ? ShownSwatchOf(choice.colour) : 0;
  for (int i = 0; i < kPaletteSize; ++i) colourButtons_[i].SetSelected(i + 1 == marked);
  preview_.fillColour = isColour ? ColourToArgb(choice.colour) : kNoColourFill;
  preview_.Invalidate(false);
  const COLORREF fieldText = invalid ? kInvalidFieldText : kFieldText;
  if (customField_.textColour != fieldText) {
    customField_.textColour = fieldText;
    customField_.Invalidate(true);
  }
  hint_.textColour = invalid ? kInvalidColour : kLabelColour;
  hint_.SetText(invalid ? kInvalidHint : kHint);
}

void CCPILedSetDlg::ClickColour(int index) {
  const CustomColour choice = CustomColourFromText(customField_.GetText());
  const int marked = choice.kind == CustomColour::Kind::kColour ? ShownSwatchOf(choice.colour) : 0;
  const int next = PaletteSelectionAfterClick(marked, index);
  customField_.SetText(next == 0 ? std::wstring() : CustomColourText(PaletteColour(next)));
  ShowChoice();
}

void CCPILedSetDlg::Save() {
  const CustomColour choice = CustomColourFromText(customField_.GetText());
  if (choice.kind == CustomColour::Kind::kInvalid) {
    // Nothing is saved; the field, shown as no colour, takes the focus with
    // its text selected for retyping.
    ShowChoice();
    SendMessageW(GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(customField_.GetSafeHwnd()), TRUE);
    SendMessageW(customField_.GetSafeHwnd(), EM_SETSEL, 0, -1);
    MessageBeep(MB_ICONWARNING);
    return;
  }
  page_.SetLevelColour(level_, choice.kind == CustomColour::Kind::kColour ? choice.colour : PaletteColour(0));
  EndDialog(IDOK);
}

void CCPILedSetDlg::OnOK() {
  HWND focus = GetFocus();
  for (int i = 0; i < kPaletteSize; ++i) {
    if (colourButtons_[i].GetSafeHwnd() == focus) {
      customField_.SetText(CustomColourText(PaletteColour(i + 1)));
      break;
    }
  }
  Save();
}

bool CCPILedSetDlg::OnCommand(int controlId, int notifyCode, HWND) {
  if (controlId == IDC_COLOUR_CUSTOM) {
    if (notifyCode == EN_CHANGE) ShowChoice();
    return notifyCode == EN_CHANGE;
  }
  if (notifyCode != BN_CLICKED) return false;
  if (controlId == kSave.id) {
    Save();
    return true;
  }
  if (controlId == kCancel.id || controlId == kClose.id) {
    EndDialog(IDCANCEL);
    return true;
  }
  for (int i = 0; i < kPaletteSize; ++i) {
    if (controlId == kColourButtons[i].id) {
      ClickColour(i + 1);
      return true;
    }
  }
  return false;
}

}  // namespace korvid
