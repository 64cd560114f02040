#pragma once
// The controls the program uses. Each forwards to its backend peer, bound by
// DDX_Control when the dialog initialises (or by Create for a tooltip).
#include <string>

#include "ui/wnd.h"

namespace korvel {

class ListPeer;
class ComboPeer;
class ButtonPeer;
class ProgressPeer;
class ToolTipPeer;
class ListRows;

// Report list: rows of text cells, kept in the layer's row store. Row
// indices are the rows shown, in the order shown (a filter and a sort apply).
class CListCtrl : public CWnd {
 public:
  // The store itself: groups of rows, filter, sort, the whole selection.
  ListRows& Rows() const;
  int GetItemCount() const;
  // Inserts a row whose first cell is `text`; returns its index, -1 on failure.
  // An index past the end appends.
  int InsertItem(int nItem, const std::string& text);
  BOOL SetItemText(int nItem, int nSubItem, const std::string& text);
  std::string GetItemText(int nItem, int nSubItem) const;
  // The next row after `nItem` (-1: from the start) that has all the `flags`
  // (LVNI_SELECTED, LVNI_FOCUSED); -1 when there is none.
  int GetNextItem(int nItem, UINT flags) const;
  BOOL DeleteItem(int nItem);
  BOOL DeleteAllItems();
  // Only LVIS_SELECTED is kept; selecting a row unselects the others.
  BOOL SetItemState(int nItem, UINT state, UINT mask);
  UINT GetItemState(int nItem, UINT mask) const;
  int InsertColumn(int nCol, const std::string& heading, int format = LVCFMT_LEFT, int width = -1);
  int GetColumnCount() const;
  DWORD GetExtendedStyle() const;
  // Returns the styles before.
  DWORD SetExtendedStyle(DWORD styles);

  // The header row, as the framework reaches it.
  class Header {
   public:
    explicit Header(const CListCtrl& list) : list_(list) {}
    int GetItemCount() const { return list_.GetColumnCount(); }

   private:
    const CListCtrl& list_;
  };
  const Header* GetHeaderCtrl() const { return &header_; }

 protected:
  bool AcceptsPeer(const WindowPeer& peer) const override;

 private:
  ListPeer& Peer() const;
  Header header_{*this};
};

// Drop-down list with an edit field.
class CComboBox : public CWnd {
 public:
  int GetCount() const;
  // Index of the first item after `nStartAfter` (-1: the whole list, from the
  // top; the search wraps round) whose whole text equals `text` ignoring the
  // letter case of A-Z; CB_ERR when none does.
  int FindStringExact(int nStartAfter, const std::string& text) const;
  // Inserts before `nIndex` (-1 appends); returns the index or CB_ERR.
  int InsertString(int nIndex, const std::string& text);
  // Selects an item and shows it in the edit field; -1 clears both.
  int SetCurSel(int nSelect);
  int GetCurSel() const;
  std::string GetLBText(int nIndex) const;  // empty for a bad index
  // Empties the list and the edit field.
  void ResetContent();
  // GetWindowText / SetWindowText read and write the edit field.

 protected:
  bool AcceptsPeer(const WindowPeer& peer) const override;

 private:
  ComboPeer& Peer() const;
};

// Push button or check box.
class CButton : public CWnd {
 public:
  int GetCheck() const;  // BST_UNCHECKED or BST_CHECKED
  // Any state but BST_UNCHECKED checks the box.
  void SetCheck(int nCheck);
  // Shows an icon on the button; returns the icon before.
  HICON SetIcon(HICON icon);
  HICON GetIcon() const { return icon_; }

 protected:
  bool AcceptsPeer(const WindowPeer& peer) const override;

 private:
  ButtonPeer& Peer() const;
  HICON icon_ = nullptr;
};

// Progress bar: a position within a range, or a busy indicator (marquee).
class CProgressCtrl : public CWnd {
 public:
  void SetRange32(int nLower, int nUpper);
  int SetPos(int nPos);  // returns the position before
  int GetPos() const;
  // On: a busy indicator moving by itself; off: the position shows again.
  BOOL SetMarquee(BOOL fMarqueeMode);
  BOOL IsMarquee() const;

 protected:
  bool AcceptsPeer(const WindowPeer& peer) const override;

 private:
  ProgressPeer& Peer() const;
};

// One tooltip control with one tool per control window.
class CToolTipCtrl : public CWnd {
 public:
  // Creates the tooltip window for a dialog; FALSE when `parent` has no
  // window or is no dialog.
  BOOL Create(CWnd* parent, DWORD style = 0);
  // The tool is the whole window of `tool`; its tip shows `text` as it is.
  BOOL AddTool(CWnd* tool, const std::string& text);
  void Activate(BOOL activate);
  void RelayEvent(MSG* pMsg);
  int GetToolCount() const;
  std::string GetText(CWnd* tool) const;  // empty when `tool` has no tip

 protected:
  bool AcceptsPeer(const WindowPeer& peer) const override;

 private:
  ToolTipPeer& Peer() const;
};

}  // namespace korvel
