#include "ui/controls.h"

#include <stdexcept>

#include "platform/text_bytes.h"
#include "ui/backend.h"

namespace korvel {
namespace {

template <class Peer>
Peer& Require(HWND window, const char* what) {
  if (window == nullptr) throw std::logic_error(std::string(what) + " used before it was created");
  return static_cast<Peer&>(*window);
}

}  // namespace

// CProgressCtrl

bool CProgressCtrl::AcceptsPeer(const WindowPeer& peer) const {
  return peer.Kind() == ControlKind::ProgressBar &&
         dynamic_cast<const ProgressPeer*>(&peer) != nullptr;
}
ProgressPeer& CProgressCtrl::Peer() const { return Require<ProgressPeer>(m_hWnd, "progress bar"); }

void CProgressCtrl::SetRange32(int nLower, int nUpper) { Peer().SetRange(nLower, nUpper); }

int CProgressCtrl::SetPos(int nPos) {
  const int before = Peer().GetPos();
  Peer().SetPos(nPos);
  return before;
}

int CProgressCtrl::GetPos() const { return Peer().GetPos(); }

BOOL CProgressCtrl::SetMarquee(BOOL fMarqueeMode) {
  Peer().SetMarquee(fMarqueeMode != FALSE);
  return TRUE;
}

BOOL CProgressCtrl::IsMarquee() const { return Peer().IsMarquee() ? TRUE : FALSE; }

// CListCtrl

bool CListCtrl::AcceptsPeer(const WindowPeer& peer) const {
  return peer.Kind() == ControlKind::ListView && dynamic_cast<const ListPeer*>(&peer) != nullptr;
}
ListPeer& CListCtrl::Peer() const { return Require<ListPeer>(m_hWnd, "list control"); }

ListRows& CListCtrl::Rows() const { return Peer().Rows(); }

int CListCtrl::GetItemCount() const { return Peer().GetItemCount(); }

int CListCtrl::InsertItem(int nItem, const std::string& text) {
  if (nItem < 0) return -1;
  return Peer().InsertItem(nItem, text);
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const std::string& text) {
  return Peer().SetItemText(nItem, nSubItem, text) ? TRUE : FALSE;
}

std::string CListCtrl::GetItemText(int nItem, int nSubItem) const {
  return Peer().GetItemText(nItem, nSubItem);
}

int CListCtrl::GetNextItem(int nItem, UINT flags) const {
  ListPeer& peer = Peer();
  if ((flags & LVNI_FOCUSED) != 0) {
    const int focused = peer.Rows().Focused();
    const bool fits = focused > nItem && ((flags & LVNI_SELECTED) == 0 || peer.IsSelected(focused));
    return fits ? focused : -1;
  }
  if ((flags & LVNI_SELECTED) != 0) return peer.NextSelected(nItem);
  const int next = nItem + 1;
  return next < peer.GetItemCount() ? next : -1;
}

BOOL CListCtrl::DeleteItem(int nItem) { return Peer().DeleteItem(nItem) ? TRUE : FALSE; }

BOOL CListCtrl::DeleteAllItems() {
  Peer().DeleteAllItems();
  return TRUE;
}

BOOL CListCtrl::SetItemState(int nItem, UINT state, UINT mask) {
  ListPeer& peer = Peer();
  if (nItem < 0 || nItem >= peer.GetItemCount()) return FALSE;
  if ((mask & LVIS_SELECTED) != 0) peer.SetSelected(nItem, (state & LVIS_SELECTED) != 0);
  return TRUE;
}

UINT CListCtrl::GetItemState(int nItem, UINT mask) const {
  return (mask & LVIS_SELECTED) != 0 && Peer().IsSelected(nItem) ? LVIS_SELECTED : 0;
}

int CListCtrl::InsertColumn(int nCol, const std::string& heading, int format, int width) {
  return Peer().InsertColumn(nCol, heading, format, width);
}

int CListCtrl::GetColumnCount() const { return Peer().GetColumnCount(); }

DWORD CListCtrl::GetExtendedStyle() const { return Peer().GetExtendedStyle(); }

DWORD CListCtrl::SetExtendedStyle(DWORD styles) {
  const DWORD previous = Peer().GetExtendedStyle();
  Peer().SetExtendedStyle(styles);
  return previous;
}

// CComboBox

bool CComboBox::AcceptsPeer(const WindowPeer& peer) const {
  return peer.Kind() == ControlKind::ComboBox && dynamic_cast<const ComboPeer*>(&peer) != nullptr;
}
ComboPeer& CComboBox::Peer() const { return Require<ComboPeer>(m_hWnd, "combo box"); }

int CComboBox::GetCount() const { return Peer().GetCount(); }

int CComboBox::FindStringExact(int nStartAfter, const std::string& text) const {
  const ComboPeer& peer = Peer();
  const int count = peer.GetCount();
  if (count == 0) return CB_ERR;
  const int start = nStartAfter < 0 || nStartAfter >= count ? -1 : nStartAfter;
  for (int step = 1; step <= count; ++step) {
    const int index = (start + step) % count;
    if (EqualsIgnoringCase(peer.GetItem(index), text)) return index;
  }
  return CB_ERR;
}

int CComboBox::InsertString(int nIndex, const std::string& text) {
  ComboPeer& peer = Peer();
  if (nIndex > peer.GetCount() || nIndex < -1) return CB_ERR;
  return peer.InsertItem(nIndex, text);
}

int CComboBox::SetCurSel(int nSelect) {
  ComboPeer& peer = Peer();
  if (nSelect < 0 || nSelect >= peer.GetCount()) {
    peer.SetCurSel(-1);
    return CB_ERR;
  }
  peer.SetCurSel(nSelect);
  return nSelect;
}

int CComboBox::GetCurSel() const { return Peer().GetCurSel(); }

std::string CComboBox::GetLBText(int nIndex) const {
  const ComboPeer& peer = Peer();
  if (nIndex < 0 || nIndex >= peer.GetCount()) return {};
  return peer.GetItem(nIndex);
}

void CComboBox::ResetContent() { Peer().ResetContent(); }

// CButton

bool CButton::AcceptsPeer(const WindowPeer& peer) const {
  return (peer.Kind() == ControlKind::PushButton || peer.Kind() == ControlKind::CheckBox) &&
         dynamic_cast<const ButtonPeer*>(&peer) != nullptr;
}
ButtonPeer& CButton::Peer() const { return Require<ButtonPeer>(m_hWnd, "button"); }

int CButton::GetCheck() const { return Peer().GetCheck(); }

void CButton::SetCheck(int nCheck) { Peer().SetCheck(nCheck == BST_UNCHECKED ? 0 : 1); }

HICON CButton::SetIcon(HICON icon) {
  Peer().SetIcon(icon);
  HICON previous = icon_;
  icon_ = icon;
  return previous;
}

// CToolTipCtrl

bool CToolTipCtrl::AcceptsPeer(const WindowPeer& peer) const {
  return peer.Kind() == ControlKind::ToolTip && dynamic_cast<const ToolTipPeer*>(&peer) != nullptr;
}
ToolTipPeer& CToolTipCtrl::Peer() const { return Require<ToolTipPeer>(m_hWnd, "tooltip control"); }

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD) {
  if (m_hWnd != nullptr || parent == nullptr || parent->m_hWnd == nullptr ||
      parent->m_hWnd->Kind() != ControlKind::Dialog)
    return FALSE;
  return Attach(&static_cast<DialogPeer*>(parent->m_hWnd)->CreateToolTip());
}

BOOL CToolTipCtrl::AddTool(CWnd* tool, const std::string& text) {
  if (tool == nullptr || tool->m_hWnd == nullptr) return FALSE;
  Peer().AddTool(tool->m_hWnd, text);
  return TRUE;
}

void CToolTipCtrl::Activate(BOOL activate) { Peer().Activate(activate != FALSE); }

void CToolTipCtrl::RelayEvent(MSG* pMsg) {
  if (pMsg != nullptr) Peer().RelayEvent(*pMsg);
}

int CToolTipCtrl::GetToolCount() const { return Peer().GetToolCount(); }

std::string CToolTipCtrl::GetText(CWnd* tool) const {
  return tool == nullptr ? std::string() : Peer().GetToolText(tool->m_hWnd);
}

}  // namespace korvel
