#pragma once
// The test dialog's template: one push button, one toggle, one label.
#define IDD_WIDGET_TEST 200
#define IDC_TEST_BUTTON 1001
#define IDC_TEST_CHECK 1002
#define IDC_TEST_LABEL 1003
