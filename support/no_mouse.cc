#include "support/no_mouse.h"

#include "res/resource.h"
#include "skin/elements.h"

namespace korvid {

constexpr int kNoMouseBackgroundElement = 365;

CNoMouse::CNoMouse(framework::CWnd* parent, PageHost& host) : CPage(IDD_NO_MOUSE_PAGE, parent, host) {}

BOOL CNoMouse::OnInitDialog() {
  CPage::OnInitDialog();
  SetBackground(GetSkinElementImage(kNoMouseBackgroundElement, kSkinNormal, {}).get());
  return TRUE;
}

}  // namespace korvid
