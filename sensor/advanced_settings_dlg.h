#pragma once
#include "widgets/page_host.h"
#include "profile/profile_record.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"

namespace korvid {

// The sensor and performance settings page.
class CAdvancedSettingsDlg : public CZebImageDialog {
 public:
  CAdvancedSettingsDlg(framework::CWnd* parent, PageHost& host);

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  void OnOK() override {}
  void OnCancel() override {}

  void LoadFromProfile(const ProfileRecord& profile);
  void StoreToProfile(ProfileRecord& profile);

 private:
  PageHost& host_;
  CZebButton applyButton_;
};

}  // namespace korvid
