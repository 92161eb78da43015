#pragma once
#include "widgets/page.h"

namespace korvid {

// The page shown in place of the others while no mouse is connected.
class CNoMouse : public CPage {
 public:
  CNoMouse(framework::CWnd* parent, PageHost& host);

  BOOL OnInitDialog() override;
};

}  // namespace korvid
