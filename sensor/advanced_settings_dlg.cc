#include "sensor/advanced_settings_dlg.h"

#include <commctrl.h>

#include <algorithm>

#include "profile/device_model.h"
#include "res/resource.h"
#include "sensor/cpi_led_set_dlg.h"
#include "skin/sheets.h"
#include "widgets/skin_layout.h"
#include "widgets/tool_tips.h"
#include "widgets/window_messages.h"
#include "skin/ui_scale.h"

namespace korvid {
namespace {

constexpr UINT_PTR kCorrectionTimer = 1;
constexpr UINT kCorrectionTimerMs = 150;
constexpr int kFieldFontHeight = 24;
constexpr int kUp = +1, kDown = -1;
constexpr ButtonLook kBadgeLit = kLookDown, kBadgeDark = kLookNormal;

// Where each level's controls sit on the page, and the colour its frame
// shows before the first profile is loaded.
struct LevelPlace {
  int field, up, down, levelSwitch, badge;
  std::array<int, 4> frame;  // top, left, bottom, right
  SkinRect fieldRect, upRect, downRect, switchRect, badgeRect;
  std::array<SkinRect, 4> frameRect;
  Gdiplus::ARGB initialFill;
};

const LevelPlace kLevels[kCpiLevels] = {
    {IDC_CPI1_FIELD, IDC_CPI1_UP, IDC_CPI1_DOWN, IDC_LEVEL1_SWITCH, IDC_LEVEL1_BADGE,
     {IDC_LEVEL1_FRAME_TOP, IDC_LEVEL1_FRAME_LEFT, IDC_LEVEL1_FRAME_BOTTOM, IDC_LEVEL1_FRAME_RIGHT},
     RectAt(64, 170, 151, 35), RectAt(216, 170, 17, 12), RectAt(216, 182, 18, 11), RectAt(239, 15, 23, 82),
     RectAt(208, 78, 26, 16),
     {RectAt(40, 99, 225, 58), RectAt(40, 156, 24, 52), RectAt(40, 207, 225, 84), RectAt(240, 156, 25, 52)},
     0xFFFFFF00},
    {IDC_CPI2_FIELD, IDC_CPI2_UP, IDC_CPI2_DOWN, IDC_LEVEL2_SWITCH, IDC_LEVEL2_BADGE,
     {IDC_LEVEL2_FRAME_TOP, IDC_LEVEL2_FRAME_LEFT, IDC_LEVEL2_FRAME_BOTTOM, IDC_LEVEL2_FRAME_RIGHT},
     RectAt(296, 170, 149, 35), RectAt(447, 169, 19, 13), RectAt(449, 182, 18, 12), RectAt(470, 75, 23, 23),
     RectAt(439, 78, 27, 16),
     {RectAt(271, 99, 225, 58), RectAt(271, 156, 25, 52), RectAt(271, 207, 225, 84), RectAt(472, 156, 24, 52)},
     0xFF0000FF},
    {IDC_CPI3_FIELD, IDC_CPI3_UP, IDC_CPI3_DOWN, IDC_LEVEL3_SWITCH, IDC_LEVEL3_BADGE,
     {IDC_LEVEL3_FRAME_TOP, IDC_LEVEL3_FRAME_LEFT, IDC_LEVEL3_FRAME_BOTTOM, IDC_LEVEL3_FRAME_RIGHT},
     RectAt(63, 395, 151, 35), RectAt(215, 394, 18, 12), RectAt(215, 406, 18, 12), RectAt(239, 299, 22, 22),
     RectAt(208, 302, 27, 15),
     {RectAt(40, 322, 225, 58), RectAt(40, 379, 24, 52), RectAt(40, 430, 225, 84), RectAt(240, 379, 25, 52)},
     0xFFFF0000},
    {IDC_CPI4_FIELD, IDC_CPI4_UP, IDC_CPI4_DOWN, IDC_LEVEL4_SWITCH, IDC_LEVEL4_BADGE,
     {IDC_LEVEL4_FRAME_TOP, IDC_LEVEL4_FRAME_LEFT, IDC_LEVEL4_FRAME_BOTTOM, IDC_LEVEL4_FRAME_RIGHT},
     RectAt(296, 395, 151, 34), RectAt(448, 394, 18, 12), RectAt(448, 406, 18, 13), RectAt(470, 299, 23, 22),
     RectAt(440, 302, 25, 16),
     {RectAt(271, 322, 225, 58), RectAt(271, 379, 25, 52), RectAt(271, 430, 225, 84), RectAt(472, 379, 24, 52)},
     0xFF008000},
};

// The hint to pick a colour in the bottom segment of a level's frame, where
// the segment shows its focus mark (in the segment's own pixels).
constexpr RECT kColourHintArea{10, 36, 217, 64};
constexpr int kBottomSegment = 2;

const SkinRect kSmoothingSwitchRect = RectAt(732, 126, 34, 33);
const SkinRect kSmoothingIndicatorRect = RectAt(775, 133, 33, 20);
const SkinRect kLiftOffRect = RectAt(733, 202, 263, 28);
const SkinRect kApplyRect = RectAt(783, 457, 215, 60);
// "Saved to the mouse" beside Apply, in place of its hint.
const SkinRect kSavedRect = RectAt(513, 471, 256, 32);

constexpr int kSliderIds[] = {IDC_SENSOR_SLIDER1, IDC_SENSOR_SLIDER2, IDC_SENSOR_SLIDER3, IDC_SENSOR_SLIDER4,
                              IDC_SENSOR_SLIDER5};

struct LiftOffItem {
  LiftOffCode code;
  const wchar_t* text;
};
constexpr LiftOffItem kLiftOffItems[] = {{kLiftOff2mm, L"2mm [default]"}, {kLiftOff3mm, L"3mm"}};

// The tips of the page's visible controls; the smoothing indicator stays
// disabled, so the page watches its area for it.
constexpr ToolTipText kToolTips[] = {
    {IDC_LIFT_OFF, L"Turn on or off the LIFT OFF DISTANCE adjustment feature."},
    {IDC_SENSOR_PAGE_APPLY, kApplyToolTip},
    {IDC_SMOOTHING_INDICATOR,
     L"The LIFT OFF DISTANCE needs to be turned on in the right in order to set the lift off distance.", true},
};

void PlaceButton(CZebButton& button, const SkinRect& rect) {
  PlaceSkinnedButton(button, rect, kSensorNormal, kSensorOver, kSensorDown);
}

// A switch's art is the square at the bottom of its control (level 1's control
// reaches far above it); its focus mark goes there, in the look that shows on
// the gold of a switch that is on.
void PlaceSwitch(CZebButton& button, const SkinRect& rect) {
  PlaceButton(button, rect);
  const SkinRect placed = Scaled(rect);
  const int width = placed.right - placed.left, height = placed.bottom - placed.top;
  const int side = std::min(width, height);
  button.SetFocusMark(RECT{0, height - side, width, height}, FocusMarkLook::kOnGold);
}

// A button that only shows a look the page gives it: no mouse input, no off image.
void PlaceIndicator(CZebButton& button, const SkinRect& rect) {
  PlaceButton(button, rect);
  button.SetSelected(false);
  button.EnableWindow(false);
}

}  // namespace

CAdvancedSettingsDlg::CAdvancedSettingsDlg(framework::CWnd* parent, PageHost& host)
    : CPage(IDD_SENSOR_PAGE, parent, host) {
  ProfileRecord defaults;
  InitProfileDefaults(defaults);
  levelColour_ = defaults.cpiColour;
}

void CAdvancedSettingsDlg::DoDataExchange() {
  for (int i = 0; i < kCpiLevels; ++i) {
    const LevelPlace& place = kLevels[i];
    Level& level = levels_[i];
    level.field.SubclassDlgItem(place.field, *this);
    level.up.SubclassDlgItem(place.up, *this);
    level.down.SubclassDlgItem(place.down, *this);
    level.levelSwitch.SubclassDlgItem(place.levelSwitch, *this);
    level.badge.SubclassDlgItem(place.badge, *this);
    for (size_t side = 0; side < level.frame.size(); ++side) level.frame[side].SubclassDlgItem(place.frame[side], *this);
  }
  BindControls({{liftOff_, IDC_LIFT_OFF}, {smoothingSwitch_, IDC_SMOOTHING_SWITCH},
                {smoothingIndicator_, IDC_SMOOTHING_INDICATOR}, {applyButton_, IDC_SENSOR_PAGE_APPLY}});
  for (size_t i = 0; i < sliders_.size(); ++i) sliders_[i].SubclassDlgItem(kSliderIds[i], *this);
}

BOOL CAdvancedSettingsDlg::OnInitDialog() {
  CPage::OnInitDialog();
  if (!SkinLoaded()) LoadSkin();
  SetBackground(SkinSheetImage(kSensorNormal));

  PlaceButton(liftOff_, kLiftOffRect);
  for (const LiftOffItem& item : kLiftOffItems) liftOff_.AddMenuItem(item.code, item.text);
  liftOff_.SelectItem(kLiftOff2mm);

  PlaceSwitch(smoothingSwitch_, kSmoothingSwitchRect);
  PlaceIndicator(smoothingIndicator_, kSmoothingIndicatorRect);
  // The normal look of Apply is the one on the off sheet.
  PlaceSkinnedButton(applyButton_, kApplyRect, kSensorOff, kSensorOver, kSensorDown);
  AttachApplyFeedback(applyButton_, kSensorBusy, kSavedRect);
  for (int i = 0; i < kCpiLevels; ++i) PlaceLevel(i);
  for (CZebSliderCtrl& slider : sliders_) slider.ShowWindow(SW_HIDE);

  CreateToolTips();
  AddToolTips(kToolTips);
  SetTimer(GetSafeHwnd(), kCorrectionTimer, kCorrectionTimerMs, nullptr);
  return TRUE;
}

void CAdvancedSettingsDlg::PlaceLevel(int index) {
  const LevelPlace& place = kLevels[index];
  Level& level = levels_[index];
  const DeviceModel& model = KorvidModel();
  PlaceControl(level.field, place.fieldRect);
  level.field.SetBackgroundImage(CropSkinImage(kSensorNormal, place.fieldRect));
  level.field.SetFontHeight(kFieldFontHeight);
  level.field.wheelStep = model.cpiStep;
  level.field.wheelMaximum = model.cpiMax;
  level.field.wheelMinimum = model.cpiMin;
  level.field.wheelStepping = 1;
  for (size_t side = 0; side < level.frame.size(); ++side) {
    CZebStatic& segment = level.frame[side];
    PlaceControl(segment, place.frameRect[side]);
    segment.SetBackgroundImage(CropSkinImage(kSensorNormal, place.frameRect[side]));
    segment.fillColour = place.initialFill;
  }
  level.frame[kBottomSegment].focusArea = kColourHintArea;
  PlaceSwitch(level.levelSwitch, place.switchRect);
  PlaceIndicator(level.badge, place.badgeRect);
  PlaceButton(level.up, place.upRect);
  PlaceButton(level.down, place.downRect);
}

std::array<bool, kCpiLevels> CAdvancedSettingsDlg::LevelsInUse() const {
  std::array<bool, kCpiLevels> inUse{};
  for (int i = 0; i < kCpiLevels; ++i) inUse[i] = levels_[i].levelSwitch.IsSelected();
  return inUse;
}

void CAdvancedSettingsDlg::ShowLevelInUse(int index, bool inUse) {
  Level& level = levels_[index];
  level.levelSwitch.SetSelected(inUse);
  level.badge.SetLook(inUse ? kBadgeLit : kBadgeDark);
  // A level out of use is drawn dimmed: its value, its steps and its colour.
  if (level.field.dimmed == inUse) {
    level.field.dimmed = !inUse;
    level.field.Invalidate(false);
  }
  level.up.SetDimmed(!inUse);
  level.down.SetDimmed(!inUse);
  for (CZebStatic& segment : level.frame) {
    if (segment.dimmed == inUse) {
      segment.dimmed = !inUse;
      segment.Invalidate(false);
    }
  }
}

void CAdvancedSettingsDlg::ShowLevelColour(int index) {
  const Gdiplus::ARGB fill = ColourToArgb(levelColour_[index]);
  for (CZebStatic& segment : levels_[index].frame) {
    segment.fillColour = fill;
    segment.Invalidate(false);
  }
}

void CAdvancedSettingsDlg::LoadFromProfile(const ProfileRecord& loaded) {
  // The page shows what it would store, so that a damaged record shows one
  // state for each control and what Apply sends is what the user saw.
  ProfileRecord profile = loaded;
  ApplySensorRules(profile);
  for (int i = 0; i < kCpiLevels; ++i) {
    ShowLevelInUse(i, LevelSwitchFromRecord(profile.cpiLevelDisabled[i]).value_or(true));
    levels_[i].field.SetText(CpiText(profile.cpi[i].x));
  }
  levelColour_ = profile.cpiColour;
  for (int i = 0; i < kCpiLevels; ++i) ShowLevelColour(i);
  liftOff_.SelectItem(profile.liftOffDistance);
  smoothingSwitch_.SetSelected(profile.smoothing != 0);
  smoothingIndicator_.SetLook(profile.smoothing != 0 ? kBadgeLit : kBadgeDark);
}

void CAdvancedSettingsDlg::StoreToProfile(ProfileRecord& profile) {
  for (Level& level : levels_) level.field.SetText(CpiText(RoundCpi(CpiFromText(level.field.GetText()))));
  CopyToProfile(profile);
}

void CAdvancedSettingsDlg::CopyToProfile(ProfileRecord& profile) {
  for (int i = 0; i < kCpiLevels; ++i) {
    const int cpi = RoundCpi(CpiFromText(levels_[i].field.GetText()));
    profile.cpi[i] = {static_cast<uint16_t>(cpi), static_cast<uint16_t>(cpi)};
  }
  profile.cpiColour = levelColour_;
  profile.smoothing = smoothingSwitch_.IsSelected() ? 1 : 0;
  for (int i = 0; i < kCpiLevels; ++i) profile.cpiLevelDisabled[i] = LevelRecordValue(levels_[i].levelSwitch.IsSelected());
  profile.liftOffDistance = static_cast<uint8_t>(liftOff_.FunctionId() & 0xFF);
  ApplySensorRules(profile);
}

void CAdvancedSettingsDlg::SetLevelColour(int level, uint32_t colour) {
  if (level < 1 || level > kCpiLevels) return;
  levelColour_[level - 1] = colour;
  ShowLevelColour(level - 1);
}

void CAdvancedSettingsDlg::CorrectFields() {
  HWND focus = GetFocus();
  for (Level& level : levels_) {
    CQuoEdit& field = level.field;
    const std::optional<CpiCorrection> correction =
        CorrectCpiField(CpiFromText(field.GetText()), focus == field.GetSafeHwnd());
    if (!correction) continue;
    field.SetText(CpiText(correction->value));
    SendMessageW(field.GetSafeHwnd(), EM_SETSEL, correction->caret, correction->caret);
    SendMessageW(field.GetSafeHwnd(), EM_SCROLLCARET, 0, 0);
  }
}

void CAdvancedSettingsDlg::StepLevel(int index, int direction) {
  CQuoEdit& field = levels_[index].field;
  field.SetText(CpiText(StepCpi(CpiFromText(field.GetText()), direction)));
}

void CAdvancedSettingsDlg::ClickLevelSwitch(int index) {
  ShowLevelInUse(index, LevelSwitchAfterClick(LevelsInUse(), index));
}

void CAdvancedSettingsDlg::ToggleSmoothing() {
  const bool on = !smoothingSwitch_.IsSelected();
  smoothingSwitch_.SetSelected(on);
  smoothingIndicator_.SetLook(on ? kBadgeLit : kBadgeDark);
}

void CAdvancedSettingsDlg::OpenColourDialog(int index) {
  // The dialog is titled with the name the page gives the level's colour.
  wchar_t name[64] = {};
  GetWindowTextW(levels_[index].frame[kBottomSegment].GetSafeHwnd(), name, static_cast<int>(std::size(name)));
  CCPILedSetDlg dialog(index + 1, levelColour_[index], name, *this);
  RunChoicePopup(dialog);
}

bool CAdvancedSettingsDlg::OnCommand(int controlId, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;  // STN_CLICKED has the same code
  if (controlId == IDC_SENSOR_PAGE_APPLY) {
    Host().StartApply();
    return true;
  }
  if (controlId == IDC_SMOOTHING_SWITCH) {
    ToggleSmoothing();
    return true;
  }
  for (int i = 0; i < kCpiLevels; ++i) {
    const LevelPlace& place = kLevels[i];
    if (controlId == place.up || controlId == place.down) {
      StepLevel(i, controlId == place.up ? kUp : kDown);
      return true;
    }
    if (controlId == place.levelSwitch) {
      ClickLevelSwitch(i);
      return true;
    }
    for (int frame : place.frame) {
      if (controlId == frame) {
        OpenColourDialog(i);
        return true;
      }
    }
  }
  return false;
}

INT_PTR CAdvancedSettingsDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // A pick from the lift-off menu gets the default handling; the page reads
  // it when it stores.
  switch (message) {
    case WM_TIMER:
      if (wParam != kCorrectionTimer) break;
      CorrectFields();
      return TRUE;
    case WM_DESTROY:
      KillTimer(GetSafeHwnd(), kCorrectionTimer);
      break;
    default:
      break;
  }
  return CPage::DialogProc(message, wParam, lParam);
}

}  // namespace korvid
