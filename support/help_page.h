#pragma once
#include <string>

#include "widgets/page.h"
#include "widgets/zeb_button.h"

namespace korvid {

// The help page: a link to the maker's FAQ page and the support address.
class CNoDevice : public CPage {
 public:
  CNoDevice(framework::CWnd* parent, PageHost& host, std::wstring faqUrl);

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;

 private:
  std::wstring faqUrl_;
  CZebButton faqButton_, emailButton_;
};

}  // namespace korvid
