#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "sensor/sensor_rules.h"
#include "widgets/quo_edit.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"
#include "widgets/zeb_static.h"

namespace korvid {

class CAdvancedSettingsDlg;

// The CPI LED colour dialog: the user picks one level's colour from the
// palette or types any colour as "#RRGGBB"; Save hands it to the sensor
// page, Cancel and Close hand nothing.
//
// The custom colour field always shows the colour chosen: a click on a
// swatch writes its colour there, a second click on it empties the field,
// and a typed colour that is one of the swatches marks it. The dialog opens
// with the level's colour in the field. Save with an empty field gives black;
// text that is no colour is shown as such and is never saved.
class CCPILedSetDlg : public CZebImageDialog {
 public:
  // `title` names the level, as the page calls its colour.
  CCPILedSetDlg(int level, uint32_t currentColour, std::wstring title, CAdvancedSettingsDlg& page);

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  // Enter saves the choice that has the focus: a focused swatch is chosen
  // first.
  void OnOK() override;

 private:
  void ClickColour(int index);
  // The swatches, the preview and the hint as the field's text says.
  void ShowChoice();
  void Save();

  int level_;
  uint32_t currentColour_;
  std::wstring title_;
  CAdvancedSettingsDlg& page_;
  CZebButton closeButton_, cancelButton_, saveButton_;
  std::array<CZebButton, kPaletteSize> colourButtons_;  // palette index 1 to 16
  CZebStatic titleLabel_, customLabel_, preview_, hint_;
  CQuoEdit customField_;
};

}  // namespace korvid
