#include "ui/dialog.h"

#include <stdexcept>
#include <string>

#include "ui/app.h"
#include "ui/backend.h"

namespace korvel {
namespace {

BOOL CallMsgFilter(MSG* msg, int code) {
  CWinApp* app = AfxGetApp();
  return app != nullptr ? app->ProcessMessageFilter(code, msg) : FALSE;
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (control.m_hWnd != nullptr) return;  // bound by an earlier exchange
  CDialog* dialog = pDX->m_pDlgWnd;
  HWND dialogPeer = dialog != nullptr ? dialog->m_hWnd : nullptr;
  HWND item = dialogPeer != nullptr ? static_cast<DialogPeer*>(dialogPeer)->Item(id) : nullptr;
  if (item == nullptr) throw std::logic_error("dialog has no control " + std::to_string(id));
  if (!control.Attach(item))
    throw std::logic_error("control " + std::to_string(id) + " is not of the bound class");
}

CDialog::CDialog(int templateId, CWnd* parent)
    : m_lpDialogTemplate(FindDialogTemplate(templateId)), m_pParentWnd(parent) {
  if (m_lpDialogTemplate == nullptr)
    throw std::logic_error("no dialog template " + std::to_string(templateId));
}

CDialog::CDialog(const DialogTemplate& dialogTemplate, CWnd* parent)
    : m_lpDialogTemplate(&dialogTemplate), m_pParentWnd(parent) {}

CDialog::CDialog() = default;

bool CDialog::AcceptsPeer(const WindowPeer& peer) const {
  return peer.Kind() == ControlKind::Dialog && dynamic_cast<const DialogPeer*>(&peer) != nullptr;
}

CWnd* CDialog::PreModal() {
  if (m_pParentWnd != nullptr && m_pParentWnd->m_hWnd != nullptr) return m_pParentWnd;
  CWnd* main = AfxGetMainWnd();
  if (main != nullptr && main != this && main->m_hWnd != nullptr) return main;
  return nullptr;
}

void CDialog::PostModal() {}

INT_PTR CDialog::DoModal() {
  if (m_lpDialogTemplate == nullptr) throw std::logic_error("dialog has no template");
  Backend& backend = CurrentBackend();
  CWnd* owner = PreModal();
  const bool disableOwner = owner != nullptr && owner->IsWindowEnabled();
  DialogPeer& peer =
      backend.CreateDialogWindow(*m_lpDialogTemplate, owner ? owner->m_hWnd : nullptr);
  Attach(&peer);
  peer.SetShowOnRun(ShowsWhenRun() != FALSE);
  if (disableOwner) owner->EnableWindow(FALSE);

  // Undone however the dialog ends, a failing test step included.
  struct Cleanup {
    CDialog& dialog;
    Backend& backend;
    DialogPeer& peer;
    CWnd* owner;
    ~Cleanup() {
      if (owner != nullptr) owner->EnableWindow(TRUE);
      dialog.Detach();
      backend.DestroyDialogWindow(peer);
      dialog.PostModal();
    }
  } cleanup{*this, backend, peer, disableOwner ? owner : nullptr};

  m_nModalResult = -1;
  ended_ = false;
  if (OnInitDialog()) SetFocusToFirstTabStop();
  if (!ended_) peer.RunModalLoop();
  return m_nModalResult;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::SetFocusToFirstTabStop() {
  for (const ControlTemplate& control : m_lpDialogTemplate->controls) {
    if ((control.style & WS_TABSTOP) == 0) continue;
    HWND item = static_cast<DialogPeer*>(m_hWnd)->Item(control.id);
    if (item != nullptr && item->IsEnabled()) {
      item->SetFocus();
      return;
    }
  }
}

void CDialog::OnOK() {
  if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
  m_nModalResult = result;
  if (ended_) return;
  ended_ = true;
  if (m_hWnd != nullptr) static_cast<DialogPeer*>(m_hWnd)->EndModalLoop();
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::IsOwnWindow(HWND window) const {
  return window != nullptr && m_hWnd != nullptr && (window == m_hWnd || window->Dialog() == m_hWnd);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
  if (pMsg == nullptr || !IsKeyMessage(*pMsg) || !IsOwnWindow(pMsg->hwnd)) return FALSE;
  return IsDialogMessage(pMsg);
}

BOOL CDialog::IsDialogMessage(MSG* pMsg) {
  if (pMsg == nullptr || !IsKeyMessage(*pMsg) || !IsOwnWindow(pMsg->hwnd)) return FALSE;
  if (CallMsgFilter(pMsg, MSGF_DIALOGBOX)) return TRUE;
  if (pMsg->message != WM_KEYDOWN) return FALSE;
  auto* dialog = static_cast<DialogPeer*>(m_hWnd);
  if (pMsg->wParam == VK_RETURN) {
    HWND focus = pMsg->hwnd;
    if (focus != nullptr && focus->Kind() == ControlKind::PushButton) {
      SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(focus->Id()), BN_CLICKED),
                  reinterpret_cast<LPARAM>(focus));
    } else {
      HWND ok = dialog->Item(IDOK);
      if (ok == nullptr || ok->IsEnabled())
        SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    }
    return TRUE;
  }
  if (pMsg->wParam == VK_ESCAPE) {
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                reinterpret_cast<LPARAM>(dialog->Item(IDCANCEL)));
    return TRUE;
  }
  return FALSE;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
  }
  return CWnd::DefWindowProc(message, wParam, lParam);
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

}  // namespace korvel
