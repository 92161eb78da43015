#pragma once
#include <string>

#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"

namespace korvid {

// The help page: a link to the maker's FAQ page and the support address.
class CNoDevice : public CZebImageDialog {
 public:
  CNoDevice(framework::CWnd* parent, std::wstring faqUrl);

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  void OnOK() override {}
  void OnCancel() override {}

 private:
  std::wstring faqUrl_;
  CZebButton faqButton_, emailButton_;
};

}  // namespace korvid
