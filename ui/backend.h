#pragma once
// The contract between the layer and a backend (Qt, Win32, headless).
//
// A backend realises dialog templates as windows made of peers, one peer per
// control; the layer's CWnd objects wrap the peers as framework objects wrap
// window handles. The backend runs the modal loop and turns the user's input
// into the layer's messages with the Route*/Send* functions at the end of
// this header. See ui/README.md.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/desktop.h"
#include "ui/list_rows.h"
#include "ui/messages.h"
#include "ui/resource_types.h"

namespace korvel {

class CWnd;
class DialogPeer;
class ToolTipPeer;

// The backend side of one window: a dialog, a control or a tooltip.
class WindowPeer {
 public:
  WindowPeer(ControlKind kind, int id, WindowPeer* parent);
  virtual ~WindowPeer();  // unbinds the layer object, if any
  WindowPeer(const WindowPeer&) = delete;
  WindowPeer& operator=(const WindowPeer&) = delete;

  ControlKind Kind() const { return kind_; }
  int Id() const { return id_; }                  // control id; the template id for a dialog
  WindowPeer* Parent() const { return parent_; }  // the dialog of a control; a dialog's owner
  DialogPeer* Dialog();                           // this dialog, or the one holding this control
  CWnd* Wnd() const { return attached_; }         // the layer object bound to this peer
  // Cuts the link to the layer's objects; a backend that keeps a destroyed
  // window's peers (to inspect them) calls it for each.
  void Unbind();

  virtual std::string GetText() const = 0;  // caption, label, or a combo box's edit field
  virtual void SetText(const std::string& text) = 0;
  virtual void Enable(bool enable) = 0;
  virtual bool IsEnabled() const = 0;
  virtual void SetFocus() = 0;

 private:
  friend class CWnd;
  ControlKind kind_;
  int id_;
  WindowPeer* parent_;
  CWnd* attached_ = nullptr;
  std::unique_ptr<CWnd> generic_;  // what CWnd::FromHandle hands out when nothing is bound
};

class DialogPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  // The control with this id, or null.
  virtual WindowPeer* Item(int id) = 0;
  // Runs until EndModalLoop; the owner is disabled meanwhile by the layer.
  virtual void RunModalLoop() = 0;
  // Ends the loop once the current message has been handled.
  virtual void EndModalLoop() = 0;
  virtual void SetIcon(HICON icon, bool big) = 0;
  // A tooltip control for this dialog, owned by it.
  virtual ToolTipPeer& CreateToolTip() = 0;
  // Shows or hides the window; hiding a running dialog keeps it modal.
  virtual void Show(bool show) = 0;
  virtual bool IsVisible() const = 0;
  // A timer of this window: WM_TIMER with `id` about every `elapse` ms, on
  // the window's thread, until KillTimer. Setting an id again restarts it.
  virtual void SetTimer(UINT_PTR id, UINT elapse) = 0;
  virtual void KillTimer(UINT_PTR id) = 0;

  // Whether RunModalLoop shows the window at once (the default), or leaves
  // that to a later Show (a box that appears only when it is needed).
  void SetShowOnRun(bool show) { showOnRun_ = show; }
  bool ShowOnRun() const { return showOnRun_; }

 private:
  bool showOnRun_ = true;
};

// A report list. Its rows live in the layer's store (ui/list_rows.h), once
// for every backend; the backend listens to the store and shows what it
// gives, and tells it of the user's selection.
class ListPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  ListRows& Rows() { return rows_; }
  const ListRows& Rows() const { return rows_; }

  int GetItemCount() const { return rows_.Count(); }
  int InsertItem(int index, const std::string& text) { return rows_.InsertRow(index, text); }
  bool SetItemText(int row, int column, const std::string& text) {
    return rows_.SetCell(row, column, text);
  }
  std::string GetItemText(int row, int column) const {  // "" outside
    return std::string(rows_.Cell(row, column));
  }
  bool DeleteItem(int row) { return rows_.Remove(row); }
  void DeleteAllItems() { rows_.Clear(); }
  int InsertColumn(int index, const std::string& heading, int format, int width) {
    const int at = rows_.InsertColumn(index, heading);
    ColumnInserted(at, format, width);
    return at;
  }
  int GetColumnCount() const { return rows_.ColumnCount(); }
  // Selecting a row makes it the only selected one and focuses it.
  void SetSelected(int row, bool selected) {
    selected ? rows_.SelectOnly(row) : rows_.Select(row, false);
  }
  bool IsSelected(int row) const { return rows_.IsSelected(row); }
  int NextSelected(int after) const { return rows_.NextSelected(after); }  // -1 when none

  virtual DWORD GetExtendedStyle() const = 0;
  virtual void SetExtendedStyle(DWORD styles) = 0;

 protected:
  // A column was added to the store at `column`; show it with this width.
  virtual void ColumnInserted(int /*column*/, int /*format*/, int /*width*/) {}

 private:
  ListRows rows_;
};

class ComboPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  virtual int GetCount() const = 0;
  virtual std::string GetItem(int index) const = 0;
  virtual int InsertItem(int index, const std::string& text) = 0;  // -1 appends
  virtual int GetCurSel() const = 0;
  // Selects an item and puts its text in the edit field; -1 clears both.
  virtual void SetCurSel(int index) = 0;
  // Empties the list and the edit field.
  virtual void ResetContent() = 0;
};

class ButtonPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  virtual int GetCheck() const = 0;
  virtual void SetCheck(int state) = 0;  // 0 or 1
  virtual void SetIcon(HICON icon) = 0;
};

class ProgressPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  virtual void SetRange(int lower, int upper) = 0;
  virtual void SetPos(int pos) = 0;
  virtual int GetPos() const = 0;
  // A busy indicator that moves by itself, for work of unknown length.
  virtual void SetMarquee(bool on) = 0;
  virtual bool IsMarquee() const = 0;
};

class ToolTipPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  virtual void AddTool(HWND tool, const std::string& text) = 0;
  virtual void Activate(bool active) = 0;
  virtual void RelayEvent(const MSG& msg) = 0;
  virtual int GetToolCount() const = 0;
  virtual std::string GetToolText(HWND tool) const = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // Creates the dialog window and every control of its template, in template
  // order, hidden until RunModalLoop shows it. `owner` may be null.
  virtual DialogPeer& CreateDialogWindow(const DialogTemplate& dialogTemplate, HWND owner) = 0;
  // Destroys a window made by CreateDialogWindow and its controls; the focus
  // goes back to where it was in the owner.
  virtual void DestroyDialogWindow(DialogPeer& dialog) = 0;
  virtual HWND GetFocus() = 0;
  virtual Desktop& GetDesktop() = 0;
  virtual Prompts& GetPrompts() = 0;
  // Milliseconds of a clock that never goes back (GetTickCount64); a
  // test's backend may keep time of its own.
  virtual ULONGLONG GetTickCount();
};

// The installed backend; throws std::logic_error when none is.
Backend& CurrentBackend();
bool HasBackend();

// Where the installed backend, prompts and desktop services are kept; null
// when none is installed (the prompts and desktop then are the backend's).
template <class Service>
Service*& InstalledService();
template <>
Backend*& InstalledService<Backend>();
template <>
Prompts*& InstalledService<Prompts>();
template <>
Desktop*& InstalledService<Desktop>();

// Installs a service for a scope and puts the previous one back at its end.
template <class Service>
class ScopedService {
 public:
  explicit ScopedService(Service& service)
      : previous_(std::exchange(InstalledService<Service>(), &service)) {}
  ~ScopedService() { InstalledService<Service>() = previous_; }
  ScopedService(const ScopedService&) = delete;
  ScopedService& operator=(const ScopedService&) = delete;

 private:
  Service* previous_;
};

// A backend for a scope (RunApplication does this itself).
using ScopedBackend = ScopedService<Backend>;
// The backend's prompts (or desktop services) replaced for a scope, e.g. real
// windows with scripted message boxes in a test.
using ScopedPrompts = ScopedService<Prompts>;
using ScopedDesktop = ScopedService<Desktop>;

// Input, from the backend's modal loop to the layer. Each does nothing when
// the window has no layer object bound, and the user's input (keys, clicks,
// menu items, drops) does nothing either while the window's dialog is
// disabled, as under a modal box: nothing reaches a window that waits.

// A key press on `target` (the focused control, or the dialog). Runs the
// layer's pre-translation: the dialogs' PreTranslateMessage, the
// application's ProcessMessageFilter with the accelerators, then Enter and
// Escape. True: the layer consumed the key; false: the control handles it.
bool RouteKeyDown(HWND target, UINT virtualKey, BYTE modifiers);
// Runs any message through the pre-translation (RouteKeyDown builds the MSG).
bool PreTranslateInput(MSG& msg);
// BN_CLICKED from a button (a check box has already changed its state).
void SendClicked(HWND button);
// CBN_KILLFOCUS from a combo box that lost the focus.
void SendKillFocus(HWND combo);
// WM_NOTIFY with `code` (NM_DBLCLK, NM_RDBLCLK) from a control.
LRESULT SendNotify(HWND control, UINT code);
// A menu item's command (WM_COMMAND, HIWORD 0).
void SendMenuCommand(HWND dialog, UINT command);
// WM_DROPFILES with the dropped paths.
void SendDropFiles(HWND dialog, std::vector<std::string> paths);
// The close box (WM_CLOSE). Also for a disabled dialog: the desktop may
// close a window that waits for its modal box.
void SendClose(HWND dialog);
// A timer of the dialog went off (WM_TIMER with the timer's id).
void SendTimer(HWND dialog, UINT_PTR id);

}  // namespace korvel
