#include "probe_app.h"

#include "res/templates.h"

namespace korvel::testing {

ProbeDialog::ProbeDialog() : CDialog(IDD_KORVEL_DIALOG) {}

void ProbeDialog::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, IDC_RESULTS, results);
  DDX_Control(pDX, IDC_KEYWORDS, keywords);
  DDX_Control(pDX, IDC_LOCAL, local);
}

BOOL ProbeDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(FindIcon(IDR_MAINFRAME), TRUE);
  SetIcon(FindIcon(IDR_MAINFRAME), FALSE);
  results.SetExtendedStyle(results.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                           LVS_EX_INFOTIP);
  results.InsertColumn(0, "Address", LVCFMT_LEFT, 225);
  results.InsertColumn(1, "Location", LVCFMT_LEFT, 340);
  tips.Create(this);
  for (const ToolTipText& tip : MainDialogToolTips())
    tips.AddTool(GetDlgItem(tip.control), std::string(tip.text));
  tips.Activate(TRUE);
  return TRUE;
}

BOOL ProbeDialog::PreTranslateMessage(MSG* pMsg) {
  tips.RelayEvent(pMsg);
  return CDialog::PreTranslateMessage(pMsg);
}

void ProbeDialog::OnCancel() {
  Record(IDCANCEL);
  CDialog::OnCancel();
}

void ProbeDialog::OnDropFiles(HDROP drop) {
  dropped.clear();
  for (UINT i = 0; i < DragQueryFileCount(drop); ++i) dropped.push_back(DragQueryFile(drop, i));
  DragFinish(drop);
}

BEGIN_MESSAGE_MAP(ProbeDialog, CDialog)
  ON_COMMAND(ID_FILE_EXPORT, OnExport)
  ON_COMMAND(ID_FILE_EXIT, OnExit)
  ON_COMMAND(ID_SWEEP_FILE, OnSweepFile)
  ON_COMMAND(ID_SWEEP_FOLDER, OnSweepFolder)
  ON_COMMAND(ID_HELP_MANUAL, OnManual)
  ON_BN_CLICKED(IDC_REMOVE_ITEM, OnRemoveItem)
  ON_BN_CLICKED(IDC_REMOVE_ALL, OnRemoveAll)
  ON_BN_CLICKED(IDC_LOCAL, OnLocal)
  ON_CBN_KILLFOCUS(IDC_KEYWORDS, OnKillFocusKeywords)
  ON_WM_DROPFILES()
END_MESSAGE_MAP()

BOOL ProbeApp::InitInstance() {
  accelerators_ = LoadAccelerators(IDR_ACCELERATORS);
  ProbeDialog probe;
  dialog = &probe;
  m_pMainWnd = &probe;
  result = probe.DoModal();
  m_pMainWnd = nullptr;
  dialog = nullptr;
  return FALSE;
}

BOOL ProbeApp::ProcessMessageFilter(int code, MSG* pMsg) {
  if (accelerators_ != nullptr && TranslateAccelerator(m_pMainWnd, accelerators_, pMsg))
    return TRUE;
  return CWinApp::ProcessMessageFilter(code, pMsg);
}

}  // namespace korvel::testing
