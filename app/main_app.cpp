#include "app/main_app.h"

#include "app/main_dlg.h"
#include "app/texts.h"
#include "res/resource.h"

namespace korvel {

CMainApp::CMainApp() : CWinApp(nullptr) {}

BOOL CMainApp::InitInstance() {
  CWinApp::InitInstance();
  AfxEnableControlContainer();
  SetRegistryKey(texts::kRegistryCompany);
  m_hAccel = LoadAccelerators(IDR_ACCELERATORS);

  CMainDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  // No message loop after the dialog: the program ends.
  return FALSE;
}

BOOL CMainApp::ProcessMessageFilter(int code, MSG* pMsg) {
  if (m_hAccel != nullptr && m_pMainWnd != nullptr &&
      TranslateAccelerator(m_pMainWnd, m_hAccel, pMsg))
    return TRUE;
  return CWinApp::ProcessMessageFilter(code, pMsg);
}

}  // namespace korvel
