#include "support/help_page.h"

#include "framework/shell.h"
#include "res/resource.h"
#include "skin/sheets.h"
#include "widgets/skin_layout.h"

namespace korvid {
namespace {

constexpr SkinRect kFaqRect{616, 189, 1011, 236};
constexpr SkinRect kEmailRect{676, 341, 953, 364};

}  // namespace

CNoDevice::CNoDevice(framework::CWnd* parent, PageHost& host, std::wstring faqUrl)
    : CPage(IDD_HELP_PAGE, parent, host), faqUrl_(std::move(faqUrl)) {}

void CNoDevice::DoDataExchange() { BindControls({{faqButton_, IDC_FAQ_BUTTON}, {emailButton_, IDC_EMAIL_BUTTON}}); }

BOOL CNoDevice::OnInitDialog() {
  CPage::OnInitDialog();
  if (!SkinLoaded()) LoadSkin();
  SetBackground(SkinSheetImage(kSupportNormal));
  PlaceSkinnedButton(faqButton_, kFaqRect, kSupportNormal, kSupportOver, kSupportDown);
  PlaceSkinnedButton(emailButton_, kEmailRect, kSupportNormal, kSupportOver, kSupportDown);
  return TRUE;
}

bool CNoDevice::OnCommand(int controlId, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;
  if (controlId == IDC_FAQ_BUTTON) {
    OpenInShellAsync(faqUrl_);
    return true;
  }
  return controlId == IDC_EMAIL_BUTTON;
}

}  // namespace korvid
