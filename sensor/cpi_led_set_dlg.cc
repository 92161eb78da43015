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
const ButtonPlace kCancel{IDC_COLOUR_CANCEL, 369, RectAt(218, 184, 189, 61)};
const ButtonPlace kSave{IDC_COLOUR_SAVE, 367, RectAt(14, 184, 189, 61)};

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

void PlaceElementButton(CZebButton& button, const ButtonPlace& place) {
  PlaceControl(button, place.rect);
  button.SetImages(GetSkinElementImage(place.element, kSkinNormal, place.rect).Take(),
                   GetSkinElementImage(place.element, kSkinOver, place.rect).Take(),
                   GetSkinElementImage(place.element, kSkinPressed, place.rect).Take());
}

}  // namespace

CCPILedSetDlg::CCPILedSetDlg(int level, CAdvancedSettingsDlg& page)
    : CZebImageDialog(IDD_COLOUR_DIALOG, &page), level_(level), page_(page) {}

void CCPILedSetDlg::DoDataExchange() {
  closeButton_.SubclassDlgItem(kClose.id, *this);
  cancelButton_.SubclassDlgItem(kCancel.id, *this);
  saveButton_.SubclassDlgItem(kSave.id, *this);
  for (int i = 0; i < kPaletteSize; ++i) colourButtons_[i].SubclassDlgItem(kColourButtons[i].id, *this);
}

BOOL CCPILedSetDlg::OnInitDialog() {
  CZebImageDialog::OnInitDialog();
  SetBackground(GetSkinElementImage(kBackgroundElement, kSkinNormal, {}).get());
  PlaceElementButton(closeButton_, kClose);
  PlaceElementButton(cancelButton_, kCancel);
  PlaceElementButton(saveButton_, kSave);
  for (int i = 0; i < kPaletteSize; ++i) {
    // A swatch is picked with Space; Enter stays the dialog's.
    colourButtons_[i].SetTakesEnter(false);
    if (kColourButtons[i].element != 0) {
      PlaceElementButton(colourButtons_[i], kColourButtons[i]);
    } else {
      colourButtons_[i].ShowWindow(SW_HIDE);
    }
  }
  return TRUE;
}

void CCPILedSetDlg::ClickColour(int index) {
  const int next = PaletteSelectionAfterClick(selection_, index);
  for (int i = 0; i < kPaletteSize; ++i) colourButtons_[i].SetSelected(i + 1 == next);
  selection_ = next;
}

bool CCPILedSetDlg::OnCommand(int controlId, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;
  if (controlId == kSave.id) {
    page_.SetLevelColour(level_, PaletteColour(selection_));
    EndDialog(IDOK);
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
