#include "tests/ui/test_dialog.h"

namespace korvel::testing {

void TestDialog::OnOK() {
  events.push_back("ok");
  CDialog::OnOK();
}
void TestDialog::OnCancel() {
  events.push_back("cancel");
  CDialog::OnCancel();
}
void TestDialog::OnButton() { events.push_back("button"); }
void TestDialog::OnCommand() { events.push_back("command"); }
void TestDialog::OnKillFocusCombo() { events.push_back("killfocus:" + combo.GetWindowText()); }
void TestDialog::OnDblclkList(NMHDR* header, LRESULT* result) {
  events.push_back("dblclk:" + std::to_string(header->idFrom));
  *result = 0;
}
void TestDialog::OnDropFiles(HDROP drop) {
  events.push_back("drop:" + std::to_string(DragQueryFileCount(drop)) + ":" +
                   DragQueryFile(drop, 0));
  DragFinish(drop);
}

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
  ON_BN_CLICKED(kButton, OnButton)
  ON_COMMAND(kCommand, OnCommand)
  ON_CBN_KILLFOCUS(kCombo, OnKillFocusCombo)
  ON_NOTIFY(NM_DBLCLK, kList, OnDblclkList)
  ON_WM_DROPFILES()
END_MESSAGE_MAP()

namespace {
constexpr std::array kTestKeys{AcceleratorEntry{FVIRTKEY | FCONTROL, 'G', kCommand}};
constexpr AcceleratorTable kTestAccelerators{1, kTestKeys};
}  // namespace

BOOL TestApp::InitInstance() {
  m_pMainWnd = &dialog;
  result = dialog.DoModal();
  return FALSE;
}

BOOL TestApp::ProcessMessageFilter(int code, MSG* msg) {
  if (TranslateAccelerator(m_pMainWnd, &kTestAccelerators, msg)) return TRUE;
  return CWinApp::ProcessMessageFilter(code, msg);
}

int RunTestApp(CWinApp& app, Backend& backend) {
  char name[] = "/opt/test/program";
  char* argv[] = {name, nullptr};
  return RunApplication(app, 1, argv, backend);
}

}  // namespace korvel::testing
