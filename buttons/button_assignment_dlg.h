#pragma once
#include "app/profile_commands.h"
#include "profile/profile_record.h"
#include "widgets/zeb_button.h"
#include "widgets/zeb_image_dialog.h"

namespace korvid {

// The button assignment page.
class CButtonAssignmentDlg : public CZebImageDialog {
 public:
  CButtonAssignmentDlg(framework::CWnd* parent, ProfileCommands& commands);

  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  void OnOK() override {}
  void OnCancel() override {}

  void LoadFromProfile(const ProfileRecord& profile);
  void StoreToProfile(ProfileRecord& profile);

 private:
  ProfileCommands& commands_;
  CZebButton applyButton_;
};

}  // namespace korvid
