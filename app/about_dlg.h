#pragma once
#include "ui/dialog.h"

namespace korvel {

// The about box: the maker's picture above one button that closes it.
class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  DECLARE_MESSAGE_MAP()
};

}  // namespace korvel
