#pragma once
#include "ui/app.h"

namespace korvel {

// The application object: runs the main dialog and applies the accelerator
// table to every key the dialog manager sees.
class CMainApp : public CWinApp {
 public:
  CMainApp();

  BOOL InitInstance() override;
  BOOL ProcessMessageFilter(int code, MSG* pMsg) override;

 private:
  HACCEL m_hAccel = nullptr;
};

}  // namespace korvel
