#pragma once
// A stand-in for the program over the main dialog's template, written against
// the layer only: it records the commands and drops that reach it, so a test
// can drive the real window and see what arrived. (No <windows.h> here: the
// message-map macros use the layer's names.)
#include <string>
#include <vector>

#include "res/resource.h"
#include "ui/app.h"
#include "ui/controls.h"
#include "ui/dialog.h"

namespace korvel::testing {

class ProbeDialog : public CDialog {
 public:
  ProbeDialog();
  std::vector<UINT> commands;        // in arrival order
  std::vector<std::string> dropped;  // paths of the last drop
  CListCtrl results;
  CComboBox keywords;
  CButton local;
  CToolTipCtrl tips;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  void OnCancel() override;

 private:
  void Record(UINT command) { commands.push_back(command); }
  void OnExport() { Record(ID_FILE_EXPORT); }
  void OnExit() { Record(ID_FILE_EXIT); }
  void OnSweepFile() { Record(ID_SWEEP_FILE); }
  void OnSweepFolder() { Record(ID_SWEEP_FOLDER); }
  void OnManual() { Record(ID_HELP_MANUAL); }
  void OnRemoveItem() { Record(IDC_REMOVE_ITEM); }
  void OnRemoveAll() { Record(IDC_REMOVE_ALL); }
  void OnLocal() { Record(IDC_LOCAL); }
  void OnKillFocusKeywords() { Record(CBN_KILLFOCUS); }
  void OnDropFiles(HDROP drop);
  DECLARE_MESSAGE_MAP()
};

class ProbeApp : public CWinApp {
 public:
  INT_PTR result = 0;
  ProbeDialog* dialog = nullptr;

  BOOL InitInstance() override;
  BOOL ProcessMessageFilter(int code, MSG* pMsg) override;

 private:
  HACCEL accelerators_ = nullptr;
};

}  // namespace korvel::testing
