#pragma once
// Control IDs of the GUI test fixtures' own windows. The GUI scripts read
// them, with those of res/resource.h, from the file the build writes from
// both headers (write_control_ids.py).

// fixture_window.cc: the one button, which shows "Pressed" or the last key.
#define IDC_FIXTURE_BUTTON 1001

// combo_fixture.cc: the combos beside the function buttons, and the reports.
#define IDC_COMBO_FIXTURE_DROP_UP 1201
#define IDC_COMBO_FIXTURE_CASCADE 1202
#define IDC_COMBO_FIXTURE_LAST_CHOICE 1301
#define IDC_COMBO_FIXTURE_STAY_ON_TOP 1302

// slider_fixture.cc: three sliders and the report of their notifications.
#define IDC_SLIDER_FIXTURE_FINE 1401
#define IDC_SLIDER_FIXTURE_COARSE 1402
#define IDC_SLIDER_FIXTURE_OFF 1403
#define IDC_SLIDER_FIXTURE_REPORT 1301
