#pragma once
#include "widgets/zeb_image_dialog.h"

namespace korvid {

// The page shown in place of the others while no mouse is connected.
class CNoMouse : public CZebImageDialog {
 public:
  explicit CNoMouse(framework::CWnd* parent);

  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override {}
};

}  // namespace korvid
