#pragma once
// CDialog: a window made from a dialog template and run modally.
#include "ui/wnd.h"

namespace korvel {

class CDialog;

class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, BOOL saveAndValidate)
      : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};

// Binds `control` to the dialog's control `id` once; throws std::logic_error
// when the template has no such control or it is of another kind.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  // A dialog made from the program's template `templateId`.
  explicit CDialog(int templateId, CWnd* parent = nullptr);
  // A dialog made from a template the caller keeps alive.
  explicit CDialog(const DialogTemplate& dialogTemplate, CWnd* parent = nullptr);
  // A dialog class without a template that overrides DoModal.
  CDialog();

  // Creates the window, initialises it and runs it until EndDialog; returns
  // the value given to EndDialog. Throws std::logic_error without a backend
  // or template.
  virtual INT_PTR DoModal();
  // Binds the controls (DoDataExchange). TRUE puts the focus on the first
  // tab stop.
  virtual BOOL OnInitDialog();
  virtual void OnOK();      // IDOK: EndDialog(IDOK)
  virtual void OnCancel();  // IDCANCEL, Escape, the close box: EndDialog(IDCANCEL)
  void EndDialog(int result);

  // Keyboard messages for the dialog or its controls go to IsDialogMessage.
  BOOL PreTranslateMessage(MSG* pMsg) override;
  // The dialog manager: first the application's message filter (accelerators),
  // then Enter gives the focused push button's click or IDOK, and Escape gives
  // IDCANCEL. Other keys are left to the control (FALSE).
  BOOL IsDialogMessage(MSG* pMsg);
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  const DialogTemplate* GetTemplate() const { return m_lpDialogTemplate; }
  // Whether EndDialog has been called since DoModal began.
  BOOL IsEnding() const { return ended_ ? TRUE : FALSE; }

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  // FALSE: DoModal runs the dialog hidden, and the dialog shows itself
  // (ShowWindow) when it wants to be seen.
  virtual BOOL ShowsWhenRun() const { return TRUE; }
  // The window that owns the running dialog: the parent, else the main window
  // (when that is not this dialog), else none.
  CWnd* PreModal();
  void PostModal();
  // The close box (WM_CLOSE) sends IDCANCEL.
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool AcceptsPeer(const WindowPeer& peer) const override;

  const DialogTemplate* m_lpDialogTemplate = nullptr;
  CWnd* m_pParentWnd = nullptr;

  DECLARE_MESSAGE_MAP()

 private:
  bool IsOwnWindow(HWND window) const;
  void SetFocusToFirstTabStop();

  int m_nModalResult = -1;
  bool ended_ = false;
};

}  // namespace korvel
