#pragma once
// A small dialog for the layer's tests: a list, a combo box, a push button and
// a check box, and a message map that counts what arrives.
#include <array>
#include <vector>

#include "ui/app.h"
#include "ui/controls.h"
#include "ui/dialog.h"

namespace korvel::testing {

inline constexpr int kList = 10, kCombo = 11, kButton = 12, kCheck = 13, kCommand = 500;

inline constexpr std::array kTestControls{
    ControlTemplate{kList, ControlKind::ListView, "", 0, 0, 10, 10, WS_CHILD | WS_TABSTOP, 0},
    ControlTemplate{kCombo, ControlKind::ComboBox, "", 0, 0, 10, 10, WS_CHILD | WS_TABSTOP, 0},
    ControlTemplate{kButton, ControlKind::PushButton, "Go", 0, 0, 10, 10, WS_CHILD | WS_TABSTOP, 0},
    ControlTemplate{kCheck, ControlKind::CheckBox, "On", 0, 0, 10, 10,
                    WS_CHILD | BS_AUTOCHECKBOX | WS_TABSTOP, 0},
};
inline constexpr DialogTemplate kTestTemplate{7,
                                              "Test",
                                              0,
                                              0,
                                              100,
                                              100,
                                              "Courier New",
                                              8,
                                              WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                              WS_EX_ACCEPTFILES,
                                              0,
                                              kTestControls};

class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(kTestTemplate) {}
  CListCtrl list;
  CComboBox combo;
  CButton button, check;
  std::vector<std::string> events;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, kList, list);
    DDX_Control(pDX, kCombo, combo);
    DDX_Control(pDX, kButton, button);
    DDX_Control(pDX, kCheck, check);
  }
  void OnOK() override;
  void OnCancel() override;
  void OnButton();
  void OnCommand();
  void OnKillFocusCombo();
  void OnDblclkList(NMHDR* header, LRESULT* result);
  void OnDropFiles(HDROP drop);

  DECLARE_MESSAGE_MAP()
};

// Runs a TestDialog as its main window; its filter translates one
// accelerator, Ctrl+G, to kCommand.
class TestApp : public CWinApp {
 public:
  TestDialog dialog;
  INT_PTR result = 0;
  BOOL InitInstance() override;
  BOOL ProcessMessageFilter(int code, MSG* msg) override;
};

// RunApplication with `app` on `backend`.
int RunTestApp(CWinApp& app, Backend& backend);

}  // namespace korvel::testing
