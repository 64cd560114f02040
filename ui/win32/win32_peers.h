#pragma once
// The backend's peers: each wraps one native window and forwards the layer's
// operations to it as the window messages of its class.
#include <memory>
#include <string>
#include <vector>

#include "ui/win32/windows_api.h"

namespace korvel::win32 {

class Win32Backend;

// What every peer of this backend has: its native window.
class NativePeer {
 public:
  explicit NativePeer(::HWND handle) : handle_(handle) {}
  virtual ~NativePeer() = default;
  NativePeer(const NativePeer&) = delete;
  NativePeer& operator=(const NativePeer&) = delete;
  ::HWND Handle() const { return handle_; }

 protected:
  ::HWND handle_;
};

std::string NativeText(::HWND window);
void FocusNative(::HWND window);

template <class Peer>
class Native : public Peer, public NativePeer {
 public:
  Native(ControlKind kind, int id, WindowPeer* parent, ::HWND handle)
      : Peer(kind, id, parent), NativePeer(handle) {}

  std::string GetText() const override { return NativeText(handle_); }
  void SetText(const std::string& text) override { SetWindowTextA(handle_, text.c_str()); }
  void Enable(bool enable) override { EnableWindow(handle_, enable ? TRUE : FALSE); }
  bool IsEnabled() const override { return IsWindowEnabled(handle_) != FALSE; }
  void SetFocus() override { FocusNative(handle_); }
};

// Group boxes, labels, the picture and the rectangle.
using Win32Static = Native<WindowPeer>;

// An owner-data list view over the layer's row store: the control asks for
// the cells it paints (LVN_GETDISPINFO) and keeps only a row count and the
// selection, both copied from the store. New rows reach the control's count
// in one go at the next turn of the message loop, or before any change
// that needs it.
class Win32List : public Native<ListPeer>, private ListRows::Listener {
 public:
  Win32List(ControlKind kind, int id, WindowPeer* parent, ::HWND handle);
  ~Win32List() override;
  // The control wants a cell: `item` is an LVITEMA or LVITEMW (`wide`).
  void GetDispInfo(void* item, bool wide);
  // Brings the control's row count up to date.
  void SyncCount();
  // The user changed the selection or focus of rows first..last (-1: all).
  void StateChanged(int first, int last, UINT newState, UINT oldState);
  DWORD GetExtendedStyle() const override;
  void SetExtendedStyle(DWORD styles) override;

 protected:
  void ColumnInserted(int column, int format, int width) override;

 private:
  // ListRows::Listener
  void RowsAppended(int first, int count) override;
  void BeginRemoveRows(int first, int last) override;
  void EndRemoveRows() override;
  void EndReset() override;
  void CellChanged(int row, int column) override;
  void SelectionChanged() override;

  void CountLater();
  void ShowStoreSelection();

  int shown_ = 0;  // the control's row count
  bool syncPosted_ = false;
  bool showing_ = false;  // the control's state changes come from the store
  std::string narrow_;  // a cell for an ANSI request
  std::wstring wide_;   // a cell for a Unicode request
};

class Win32Combo : public Native<ComboPeer> {
 public:
  using Native::Native;
  int GetCount() const override;
  std::string GetItem(int index) const override;
  int InsertItem(int index, const std::string& text) override;
  int GetCurSel() const override;
  void SetCurSel(int index) override;
  void ResetContent() override;
  bool IsDroppedDown() const;
};

class Win32Button : public Native<ButtonPeer> {
 public:
  using Native::Native;
  int GetCheck() const override;
  void SetCheck(int state) override;
  void SetIcon(HICON icon) override;
};

class Win32ToolTip : public Native<ToolTipPeer> {
 public:
  Win32ToolTip(WindowPeer* dialog, ::HWND handle);
  ~Win32ToolTip() override;
  void AddTool(HWND tool, const std::string& text) override;
  void Activate(bool active) override;
  void RelayEvent(const MSG& msg) override;
  int GetToolCount() const override;
  std::string GetToolText(HWND tool) const override;
};

class Win32Progress : public Native<ProgressPeer> {
 public:
  using Native::Native;
  void SetRange(int lower, int upper) override;
  void SetPos(int pos) override;
  int GetPos() const override;
  void SetMarquee(bool on) override;
  bool IsMarquee() const override;
};

// Posted to a dialog: bring the row count of list `wParam` (its control id)
// up to date.
inline constexpr UINT kSyncListMessage = WM_APP + 0x4B;

class Win32Dialog : public Native<DialogPeer> {
 public:
  Win32Dialog(Win32Backend& backend, const DialogTemplate& dialogTemplate, WindowPeer* owner);
  ~Win32Dialog() override;

  // Set once the dialog procedure has seen WM_INITDIALOG.
  void SetHandle(::HWND handle) { handle_ = handle; }
  void AddControl(std::unique_ptr<WindowPeer> control);

  WindowPeer* Item(int id) override;
  void RunModalLoop() override;
  void EndModalLoop() override;
  void SetIcon(HICON icon, bool big) override;
  ToolTipPeer& CreateToolTip() override;
  void Show(bool show) override;
  bool IsVisible() const override;
  void SetTimer(UINT_PTR id, UINT elapse) override;
  void KillTimer(UINT_PTR id) override;

  const DialogTemplate& Template() const { return template_; }
  const std::vector<std::unique_ptr<WindowPeer>>& Controls() const { return controls_; }
  Win32ToolTip* ToolTip() const { return toolTip_.get(); }
  ::HICON BigIcon() const { return bigIcon_; }
  bool Ended() const { return ended_; }
  void StartModal() { ended_ = false; }

 private:
  Win32Backend& backend_;
  const DialogTemplate& template_;
  std::vector<std::unique_ptr<WindowPeer>> controls_;
  std::unique_ptr<Win32ToolTip> toolTip_;
  ::HICON bigIcon_ = nullptr;
  bool ended_ = false;
};

// The native message that the modal loop is passing through the layer right
// now, so a tooltip can relay it with its real window and coordinates.
const ::MSG* CurrentNativeMessage();
void SetCurrentNativeMessage(const ::MSG* msg);

}  // namespace korvel::win32
