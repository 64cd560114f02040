#pragma once
// CWnd: the layer's window object. Like a framework window it wraps a handle,
// here the backend's peer of the window, and forwards every operation to it;
// messages reach handlers through the class's message map.
#include <string>

#include "ui/message_map.h"
#include "ui/messages.h"
#include "ui/resource_types.h"

namespace korvel {

class CWnd {
 public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The peer this object wraps; null before the window exists and after it
  // is destroyed.
  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Binds this object to a peer. Fails when the peer is of a kind this class
  // cannot wrap, or either side is bound already.
  BOOL Attach(HWND peer);
  HWND Detach();
  // The object bound to `peer`, or a wrapper that lives as long as the peer.
  static CWnd* FromHandle(HWND peer);

  std::string GetWindowText() const;
  void SetWindowText(const std::string& text);
  // Returns nonzero when the window was disabled before.
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  // Returns the window that had the focus before, or null.
  CWnd* SetFocus();
  static CWnd* GetFocus();
  int GetDlgCtrlID() const;
  CWnd* GetDlgItem(int id) const;
  // Sets the window's large or small icon (ICON_BIG / ICON_SMALL); returns the
  // icon set before.
  HICON SetIcon(HICON icon, BOOL bigIcon);

  // A dialog window's visibility (SW_SHOW, SW_HIDE); returns whether it was
  // visible before.
  BOOL ShowWindow(int command);
  BOOL IsWindowVisible() const;
  // A timer of a dialog window: WM_TIMER with nIDEvent about every nElapse ms.
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
  BOOL KillTimer(UINT_PTR nIDEvent);

  // A message box owned by this window; returns IDOK, IDYES, IDNO...
  int MessageBox(const std::string& text, const std::string& caption = "Error", UINT type = MB_OK);

  // Delivers a message to this window's handlers at once.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // Sees every input message meant for this window or its children before it
  // is dispatched; TRUE consumes it.
  virtual BOOL PreTranslateMessage(MSG* pMsg);

 protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Looks the message up in the message maps; FALSE when no entry takes it.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Which kinds of peer this class wraps.
  virtual bool AcceptsPeer(const WindowPeer& peer) const;

  static const MessageMap* GetThisMessageMap();
  virtual const MessageMap* GetMessageMap() const;

 private:
  HICON icons_[2] = {nullptr, nullptr};
};

}  // namespace korvel
