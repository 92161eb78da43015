#pragma once
#include <array>
#include <cstdint>

#include "profile/profile_record.h"
#include "sensor/sensor_rules.h"
#include "widgets/combo_buttons.h"
#include "widgets/page.h"
#include "widgets/quo_edit.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_slider_ctrl.h"
#include "widgets/zeb_static.h"

namespace korvid {

// The sensor and performance settings page: four CPI levels, each with its
// value, its in-use switch and its LED colour shown through the light
// guides of its frame; the lift-off distance and smoothing. It edits only
// its controls; StoreToProfile hands them to the profile before an apply.
class CAdvancedSettingsDlg : public CPage {
 public:
  CAdvancedSettingsDlg(framework::CWnd* parent, PageHost& host);

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  void LoadFromProfile(const ProfileRecord& profile) override;
  void StoreToProfile(ProfileRecord& profile) override;
  void CopyToProfile(ProfileRecord& profile) override;
  // Level 1 to 4 takes this colour (0x00BBGGRR) and shows it at once.
  void SetLevelColour(int level, uint32_t colour);

 private:
  struct Level {
    CQuoEdit field;
    CZebButton up, down, levelSwitch, badge;
    std::array<CZebStatic, 4> frame;  // top, left, bottom, right
  };

  void PlaceLevel(int index);
  void CorrectFields();
  void StepLevel(int index, int direction);
  void ClickLevelSwitch(int index);
  void ShowLevelInUse(int index, bool inUse);
  void ToggleSmoothing();
  void ShowLevelColour(int index);
  void OpenColourDialog(int index);
  std::array<bool, kCpiLevels> LevelsInUse() const;

  std::array<Level, kCpiLevels> levels_;
  CQuoBnComboButton liftOff_;
  CZebButton smoothingSwitch_, smoothingIndicator_, applyButton_;
  std::array<CZebSliderCtrl, 5> sliders_;
  std::array<uint32_t, kCpiLevels> levelColour_;
};

}  // namespace korvid
