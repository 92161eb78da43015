#pragma once
// The menu test dialog's template: one combo button of each kind.
#define IDD_MENU_TEST 210
#define IDC_TEST_BN_COMBO 1011
#define IDC_TEST_COMBO 1012
