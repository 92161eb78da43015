#include "support/no_mouse.h"

#include "res/resource.h"
#include "skin/elements.h"

namespace korvid {

constexpr int kNoMouseBackgroundElement = 365;

CNoMouse::CNoMouse(framework::CWnd* parent) : CZebImageDialog(IDD_NO_MOUSE_PAGE, parent) {}

BOOL CNoMouse::OnInitDialog() {
  CZebImageDialog::OnInitDialog();
  SetBackground(GetSkinElementImage(kNoMouseBackgroundElement, kSkinNormal, {}).get());
  return TRUE;
}

}  // namespace korvid
