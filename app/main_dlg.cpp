#include "app/main_dlg.h"

#include "app/sweep_box.h"
#include "app/texts.h"
#include "res/resource.h"
#include "res/templates.h"
#include "ui/app.h"
#include "ui/desktop.h"
#include "ui/list_rows.h"

namespace korvel {

CMainDlg::CMainDlg(CWnd* pParent)
    : CDialog(IDD_KORVEL_DIALOG, pParent), m_hIcon(FindIcon(IDR_MAINFRAME)) {}

void CMainDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_RESULTS, m_lstResults);
  DDX_Control(pDX, IDC_KEYWORDS, m_cboKeywords);
  DDX_Control(pDX, IDC_EXTENSIONS, m_cboExtensions);
  DDX_Control(pDX, IDC_LOCAL, m_chkLocal);
  DDX_Control(pDX, IDC_SWEEP_FILE, m_btnSweepFile);
  DDX_Control(pDX, IDC_SWEEP_FOLDER, m_btnSweepFolder);
  DDX_Control(pDX, IDC_REMOVE_ITEM, m_btnRemoveItem);
  DDX_Control(pDX, IDC_REMOVE_ALL, m_btnRemoveAll);
  DDX_Control(pDX, IDC_EXIT, m_btnExit);
  DDX_Control(pDX, IDC_CLEAR_KEYWORDS, m_btnClearKeywords);
  DDX_Control(pDX, IDC_CLEAR_EXTENSIONS, m_btnClearExtensions);
}

BEGIN_MESSAGE_MAP(CMainDlg, CDialog)
  ON_COMMAND(ID_FILE_EXPORT, OnExport)
  ON_COMMAND(ID_FILE_EXIT, OnExit)
  ON_COMMAND(ID_SWEEP_FILE, OnSweepFile)
  ON_COMMAND(ID_SWEEP_FOLDER, OnSweepFolder)
  ON_COMMAND(ID_HELP_MANUAL, OnManual)
  ON_COMMAND(ID_HELP_ABOUT, OnAbout)
  ON_BN_CLICKED(IDC_SWEEP_FILE, OnSweepFile)
  ON_BN_CLICKED(IDC_SWEEP_FOLDER, OnSweepFolder)
  ON_BN_CLICKED(IDC_REMOVE_ITEM, OnRemoveItem)
  ON_BN_CLICKED(IDC_REMOVE_ALL, OnRemoveAll)
  ON_BN_CLICKED(IDC_EXIT, OnExit)
  ON_BN_CLICKED(IDC_CLEAR_KEYWORDS, OnClearKeywords)
  ON_BN_CLICKED(IDC_CLEAR_EXTENSIONS, OnClearExtensions)
  ON_NOTIFY(NM_DBLCLK, IDC_RESULTS, OnDblclkResults)
  ON_NOTIFY(NM_RDBLCLK, IDC_RESULTS, OnRdblclkResults)
  ON_CBN_KILLFOCUS(IDC_KEYWORDS, OnKillFocusKeywords)
  ON_CBN_KILLFOCUS(IDC_EXTENSIONS, OnKillFocusExtensions)
  ON_COMMAND(ID_EDIT_COPY, OnCopy)
  ON_COMMAND(ID_EDIT_COPY_LOCATION, OnCopyWithLocation)
  ON_WM_DROPFILES()
END_MESSAGE_MAP()

BOOL CMainDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  m_btnSweepFile.SetIcon(FindIcon(IDI_SWEEP_FILE));
  m_btnSweepFolder.SetIcon(FindIcon(IDI_SWEEP_FOLDER));
  m_btnRemoveItem.SetIcon(FindIcon(IDI_REMOVE_ITEM));
  m_btnRemoveAll.SetIcon(FindIcon(IDI_REMOVE_ALL));
  m_btnExit.SetIcon(FindIcon(IDI_EXIT));

  m_lstResults.SetExtendedStyle(m_lstResults.GetExtendedStyle() | LVS_EX_GRIDLINES |
                                LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  m_lstResults.InsertColumn(0, texts::kColumnAddress, LVCFMT_LEFT, texts::kColumnAddressWidth);
  m_lstResults.InsertColumn(1, texts::kColumnLocation, LVCFMT_LEFT, texts::kColumnLocationWidth);

  LoadSettings(*this);
  CreateToolTips();
  return TRUE;  // the focus goes to the result list
}

void CMainDlg::CreateToolTips() {
  if (m_ttcToolTips.GetSafeHwnd() != nullptr || !m_ttcToolTips.Create(this)) return;
  for (const ToolTipText& tip : MainDialogToolTips())
    m_ttcToolTips.AddTool(GetDlgItem(tip.control), std::string(tip.text));
  m_ttcToolTips.Activate(TRUE);
}

BOOL CMainDlg::PreTranslateMessage(MSG* pMsg) {
  CreateToolTips();
  if (m_ttcToolTips.GetSafeHwnd() != nullptr) m_ttcToolTips.RelayEvent(pMsg);
  // Ctrl+C copies rows only from the list: in a field it stays the field's.
  if (pMsg->message == WM_KEYDOWN && pMsg->wParam == 'C' && pMsg->hwnd != nullptr &&
      pMsg->hwnd == m_lstResults.GetSafeHwnd() && (pMsg->modifiers & FCONTROL) != 0) {
    CopySelectedRows((pMsg->modifiers & FSHIFT) != 0);
    return TRUE;
  }
  return CDialog::PreTranslateMessage(pMsg);
}

// Every way of closing saves the folder options first. A close that comes
// during a sweep (Ctrl+Q in its box, the desktop closing the window or
// logging out) stops the sweep, saves at once (a desktop that logs out may
// end the program when this message returns) and closes the window once the
// sweep's command has ended.
void CMainDlg::CloseDuringSweep() {
  m_bCloseAfterSweep = true;
  m_pSweepBox->StopSweep();
  if (m_bFolderSweep && !m_pSweepBox->FieldsRefused()) {
    AddKeywordsToHistory();
    AddExtensionsToHistory();
  }
  SaveSettings(*this);
}

void CMainDlg::OnOK() {
  if (IsSweeping()) {
    CloseDuringSweep();
    return;
  }
  SaveSettings(*this);
  CDialog::OnOK();
}

void CMainDlg::OnCancel() {
  if (IsSweeping()) {
    CloseDuringSweep();
    return;
  }
  SaveSettings(*this);
  CDialog::OnCancel();
}

void CMainDlg::AddFileRows(std::string_view location, AddressBatch&& rows) {
  m_lstResults.Rows().AppendGroup(rows.Bytes(), rows, location);
}

void CMainDlg::AddResultRow(std::string_view address, std::string_view location) {
  m_lstResults.InsertItem(m_lstResults.GetItemCount(), "");
  const int row = m_lstResults.GetItemCount() - 1;
  m_lstResults.SetItemText(row, 0, std::string(address));
  m_lstResults.SetItemText(row, 1, std::string(location));
}

FolderOptions CMainDlg::CurrentFolderOptions() {
  return FolderOptions{m_cboKeywords.GetWindowText(), m_cboExtensions.GetWindowText(),
                       m_chkLocal.GetCheck() != BST_UNCHECKED};
}

void CMainDlg::ShowWarning(const std::string& text) {
  MessageBox(text, texts::kCaptionWarning, MB_OK | MB_ICONEXCLAMATION);
}

int CMainDlg::BeginWaitCursor() {
  const HCURSOR previous = GetCursor();
  SetCursor(IDC_WAIT);
  return previous;
}

void CMainDlg::RestoreCursor(int previous) { SetCursor(previous); }

void CMainDlg::AddKeywordsToHistory() { AddToHistory(m_keywordHistory, 0); }

void CMainDlg::AddExtensionsToHistory() { AddToHistory(m_extensionHistory, 0); }

int CMainDlg::GetLocalCheck() { return m_chkLocal.GetCheck(); }

void CMainDlg::SetLocalCheck(int state) { m_chkLocal.SetCheck(state); }

}  // namespace korvel
