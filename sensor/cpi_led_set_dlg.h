#pragma once
#include <array>
#include <cstdint>

#include "sensor/sensor_rules.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"

namespace korvid {

class CAdvancedSettingsDlg;

// The CPI LED colour dialog: the user picks one level's colour from the
// palette; Save hands it to the sensor page, Cancel and Close hand nothing.
// It opens with no colour chosen; Save without a choice gives black.
class CCPILedSetDlg : public CZebImageDialog {
 public:
  CCPILedSetDlg(int level, CAdvancedSettingsDlg& page);

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;

  int Selection() const { return selection_; }

 private:
  void ClickColour(int index);

  int level_;
  CAdvancedSettingsDlg& page_;
  int selection_ = 0;
  CZebButton closeButton_, cancelButton_, saveButton_;
  std::array<CZebButton, kPaletteSize> colourButtons_;  // palette index 1 to 16
};

}  // namespace korvid
