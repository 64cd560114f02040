#include "ui/wnd.h"

#include <memory>

#include "ui/backend.h"

namespace korvel {

CWnd::CWnd() = default;

CWnd::~CWnd() { Detach(); }

bool CWnd::AcceptsPeer(const WindowPeer&) const { return true; }

BOOL CWnd::Attach(HWND peer) {
  if (peer == nullptr || m_hWnd != nullptr || peer->attached_ != nullptr) return FALSE;
  if (!AcceptsPeer(*peer)) return FALSE;
  m_hWnd = peer;
  peer->attached_ = this;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND peer = m_hWnd;
  if (peer != nullptr && peer->attached_ == this) peer->attached_ = nullptr;
  m_hWnd = nullptr;
  return peer;
}

CWnd* CWnd::FromHandle(HWND peer) {
  if (peer == nullptr) return nullptr;
  if (peer->attached_ != nullptr) return peer->attached_;
  if (!peer->generic_) {
    peer->generic_ = std::make_unique<CWnd>();
    peer->generic_->m_hWnd = peer;
  }
  return peer->generic_.get();
}

std::string CWnd::GetWindowText() const { return m_hWnd != nullptr ? m_hWnd->GetText() : ""; }

void CWnd::SetWindowText(const std::string& text) {
  if (m_hWnd != nullptr) m_hWnd->SetText(text);
}

BOOL CWnd::EnableWindow(BOOL enable) {
  if (m_hWnd == nullptr) return FALSE;
  const bool wasDisabled = !m_hWnd->IsEnabled();
  m_hWnd->Enable(enable != FALSE);
  return wasDisabled ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const { return m_hWnd != nullptr && m_hWnd->IsEnabled(); }

CWnd* CWnd::SetFocus() {
  CWnd* previous = GetFocus();
  if (m_hWnd != nullptr) m_hWnd->SetFocus();
  return previous;
}

CWnd* CWnd::GetFocus() { return HasBackend() ? FromHandle(CurrentBackend().GetFocus()) : nullptr; }

int CWnd::GetDlgCtrlID() const { return m_hWnd != nullptr ? m_hWnd->Id() : 0; }

CWnd* CWnd::GetDlgItem(int id) const {
  if (m_hWnd == nullptr || m_hWnd->Kind() != ControlKind::Dialog) return nullptr;
  return FromHandle(static_cast<DialogPeer*>(m_hWnd)->Item(id));
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
  const int which = bigIcon ? ICON_BIG : ICON_SMALL;
  HICON previous = icons_[which];
  icons_[which] = icon;
  if (m_hWnd != nullptr && m_hWnd->Kind() == ControlKind::Dialog)
    static_cast<DialogPeer*>(m_hWnd)->SetIcon(icon, bigIcon != FALSE);
  return previous;
}

namespace {

DialogPeer* AsDialog(HWND window) {
  return window != nullptr && window->Kind() == ControlKind::Dialog
             ? static_cast<DialogPeer*>(window)
             : nullptr;
}

}  // namespace

BOOL CWnd::ShowWindow(int command) {
  DialogPeer* dialog = AsDialog(m_hWnd);
  if (dialog == nullptr) return FALSE;
  const bool was = dialog->IsVisible();
  dialog->Show(command != SW_HIDE);
  return was ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const {
  DialogPeer* dialog = AsDialog(m_hWnd);
  return dialog != nullptr && dialog->IsVisible() ? TRUE : FALSE;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse) {
  DialogPeer* dialog = AsDialog(m_hWnd);
  if (dialog == nullptr || nIDEvent == 0) return 0;
  dialog->SetTimer(nIDEvent, nElapse);
  return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
  DialogPeer* dialog = AsDialog(m_hWnd);
  if (dialog == nullptr) return FALSE;
  dialog->KillTimer(nIDEvent);
  return TRUE;
}

int CWnd::MessageBox(const std::string& text, const std::string& caption, UINT type) {
  return CurrentPrompts().MessageBox(m_hWnd, text, caption, type);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return WindowProc(message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  UINT code = 0;
  UINT id = 0;
  if (message == WM_COMMAND) {
    id = LOWORD(wParam);
    // Menu items (0) and accelerators (1) come without a control; both are
    // the plain command, the same code as a button click.
    code = lParam == 0 ? 0 : HIWORD(wParam);
  } else if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr) return FALSE;
    id = header->idFrom;
    code = header->code;
  }
  for (const MessageMap* map = GetMessageMap(); map != nullptr;
       map = map->base != nullptr ? map->base() : nullptr) {
    for (const MessageMapEntry* entry = map->entries; entry->message != 0; ++entry) {
      if (entry->message != message) continue;
      if ((message == WM_COMMAND || message == WM_NOTIFY) &&
          (entry->code != code || entry->id != id))
        continue;
      *pResult = entry->call(*this, wParam, lParam);
      return TRUE;
    }
  }
  return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT, WPARAM, LPARAM) { return 0; }

const MessageMap* CWnd::GetThisMessageMap() {
  static constexpr MessageMapEntry entries[] = {MessageMapEntry{}};
  static constexpr MessageMap map{nullptr, entries};
  return &map;
}

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

}  // namespace korvel
