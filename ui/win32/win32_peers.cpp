#include "ui/win32/win32_peers.h"

#include <algorithm>

#include "ui/win32/win32_backend.h"

namespace korvel::win32 {
namespace {

const ::MSG*& CurrentMessageSlot() {
  static const ::MSG* current = nullptr;
  return current;
}

::HWND HandleOf(const WindowPeer* peer) { return static_cast<::HWND>(NativeWindow(peer)); }

// The tool entry of a control's whole window (TTF_IDISHWND), as AddTool made it.
TOOLINFOA ToolInfo(::HWND owner, ::HWND tool) {
  TOOLINFOA info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  return info;
}

}  // namespace

const ::MSG* CurrentNativeMessage() { return CurrentMessageSlot(); }
void SetCurrentNativeMessage(const ::MSG* msg) { CurrentMessageSlot() = msg; }

std::string NativeText(::HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void FocusNative(::HWND window) {
  // Inside a dialog the dialog manager moves the focus, so that it also
  // keeps the default push button and the combo box's edit field right.
  ::HWND parent = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 ? GetParent(window) : nullptr;
  if (parent != nullptr)
    SendMessageA(parent, WM_NEXTDLGCTL, reinterpret_cast<::WPARAM>(window), TRUE);
  else
    ::SetFocus(window);
}

// Win32List

void Win32List::CountLater() {
  if (syncPosted_) return;
  syncPosted_ = true;
  PostMessageA(GetParent(handle_), kSyncListMessage, static_cast<::WPARAM>(Id()), 0);
}

void Win32List::SyncCount() {
  syncPosted_ = false;
  const int count = static_cast<int>(rows_.size());
  if (count == shown_) return;
  shown_ = count;
  // Rows only ever come at the end here: nothing above them moves.
  SendMessageA(handle_, LVM_SETITEMCOUNT, static_cast<::WPARAM>(count),
               LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void Win32List::GetDispInfo(void* item, bool wide) {
  // LVITEMA and LVITEMW have one layout; only the text differs.
  auto* cell = static_cast<LVITEMA*>(item);
  if ((cell->mask & LVIF_TEXT) == 0) return;
  const std::size_t row = static_cast<std::size_t>(cell->iItem);
  const std::size_t column = static_cast<std::size_t>(cell->iSubItem);
  static char empty[1] = {};
  const std::string* text =
      row < rows_.size() && column < rows_[row].size() ? &rows_[row][column] : nullptr;
  if (!wide) {
    // Our own buffer, so the control may show the whole cell.
    cell->pszText = text != nullptr ? const_cast<char*>(text->c_str()) : empty;
    return;
  }
  wide_.clear();
  if (text != nullptr && !text->empty()) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text->data(), static_cast<int>(text->size()), nullptr, 0);
    wide_.resize(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, text->data(), static_cast<int>(text->size()), wide_.data(),
                        length);
  }
  reinterpret_cast<LVITEMW*>(item)->pszText = wide_.data();
}

int Win32List::GetItemCount() const { return static_cast<int>(rows_.size()); }

int Win32List::InsertItem(int index, const std::string& text) {
  if (index < 0) return -1;
  const std::size_t columns = std::max<std::size_t>(static_cast<std::size_t>(GetColumnCount()), 1);
  std::vector<std::string> row(columns);
  row[0] = text;
  if (static_cast<std::size_t>(index) >= rows_.size()) {
    rows_.push_back(std::move(row));
    CountLater();
    return static_cast<int>(rows_.size()) - 1;
  }
  // Inside the list: the rows below move down, and so does the selection.
  SyncCount();
  const int selected = NextSelected(-1);
  rows_.insert(rows_.begin() + index, std::move(row));
  SyncCount();
  if (selected >= index) {
    SetSelected(selected, false);
    SetSelected(selected + 1, true);
  }
  InvalidateRect(handle_, nullptr, FALSE);
  return index;
}

bool Win32List::SetItemText(int row, int column, const std::string& text) {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size() || column < 0 ||
      column >= GetColumnCount())
    return false;
  std::vector<std::string>& cells = rows_[static_cast<std::size_t>(row)];
  if (cells.size() <= static_cast<std::size_t>(column))
    cells.resize(static_cast<std::size_t>(column) + 1);
  cells[static_cast<std::size_t>(column)] = text;
  if (row < shown_) SendMessageA(handle_, LVM_REDRAWITEMS, static_cast<::WPARAM>(row), row);
  return true;
}

std::string Win32List::GetItemText(int row, int column) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size() || column < 0) return {};
  const std::vector<std::string>& cells = rows_[static_cast<std::size_t>(row)];
  return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                         : std::string();
}

bool Win32List::DeleteItem(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return false;
  SyncCount();
  // The control drops the row's selection and moves the ones below up.
  SendMessageA(handle_, LVM_DELETEITEM, static_cast<::WPARAM>(row), 0);
  rows_.erase(rows_.begin() + row);
  shown_ = static_cast<int>(rows_.size());
  InvalidateRect(handle_, nullptr, FALSE);
  return true;
}

void Win32List::DeleteAllItems() {
  rows_.clear();
  rows_.shrink_to_fit();
  shown_ = 0;
  SendMessageA(handle_, LVM_DELETEALLITEMS, 0, 0);
}

int Win32List::InsertColumn(int index, const std::string& heading, int format, int width) {
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = format;
  column.pszText = const_cast<char*>(heading.c_str());
  column.iSubItem = index;
  if (width >= 0) {
    column.mask |= LVCF_WIDTH;
    column.cx = width;
  }
  return static_cast<int>(SendMessageA(handle_, LVM_INSERTCOLUMNA, static_cast<::WPARAM>(index),
                                       reinterpret_cast<::LPARAM>(&column)));
}

int Win32List::GetColumnCount() const {
  auto header = reinterpret_cast<::HWND>(SendMessageA(handle_, LVM_GETHEADER, 0, 0));
  return header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

DWORD Win32List::GetExtendedStyle() const {
  return static_cast<DWORD>(SendMessageA(handle_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

void Win32List::SetExtendedStyle(DWORD styles) {
  SendMessageA(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<::LPARAM>(styles));
}

void Win32List::SetSelected(int row, bool selected) {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
  SyncCount();
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = selected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
  SendMessageA(handle_, LVM_SETITEMSTATE, static_cast<::WPARAM>(row),
               reinterpret_cast<::LPARAM>(&item));
}

bool Win32List::IsSelected(int row) const {
  if (row < 0 || row >= shown_) return false;
  return (SendMessageA(handle_, LVM_GETITEMSTATE, static_cast<::WPARAM>(row), LVIS_SELECTED) &
          LVIS_SELECTED) != 0;
}

int Win32List::NextSelected(int after) const {
  return static_cast<int>(SendMessageA(handle_, LVM_GETNEXTITEM, static_cast<::WPARAM>(after),
                                       MAKELPARAM(LVNI_SELECTED, 0)));
}

// Win32Progress

void Win32Progress::SetRange(int lower, int upper) {
  SendMessageA(handle_, PBM_SETRANGE32, static_cast<::WPARAM>(lower), upper);
}

void Win32Progress::SetPos(int pos) {
  SendMessageA(handle_, PBM_SETPOS, static_cast<::WPARAM>(pos), 0);
}

int Win32Progress::GetPos() const {
  return static_cast<int>(SendMessageA(handle_, PBM_GETPOS, 0, 0));
}

void Win32Progress::SetMarquee(bool on) {
  const LONG style = GetWindowLongA(handle_, GWL_STYLE);
  SetWindowLongA(handle_, GWL_STYLE, on ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
  SendMessageA(handle_, PBM_SETMARQUEE, on ? TRUE : FALSE, 30);
}

bool Win32Progress::IsMarquee() const {
  return (GetWindowLongA(handle_, GWL_STYLE) & PBS_MARQUEE) != 0;
}

// Win32Combo

int Win32Combo::GetCount() const {
  return static_cast<int>(SendMessageA(handle_, CB_GETCOUNT, 0, 0));
}

std::string Win32Combo::GetItem(int index) const {
  const auto length = SendMessageA(handle_, CB_GETLBTEXTLEN, static_cast<::WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const auto copied = SendMessageA(handle_, CB_GETLBTEXT, static_cast<::WPARAM>(index),
                                   reinterpret_cast<::LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
  return text;
}

int Win32Combo::InsertItem(int index, const std::string& text) {
  return static_cast<int>(SendMessageA(handle_, CB_INSERTSTRING, static_cast<::WPARAM>(index),
                                       reinterpret_cast<::LPARAM>(text.c_str())));
}

int Win32Combo::GetCurSel() const {
  return static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
}

void Win32Combo::SetCurSel(int index) {
  SendMessageA(handle_, CB_SETCURSEL, static_cast<::WPARAM>(index), 0);
}

void Win32Combo::ResetContent() { SendMessageA(handle_, CB_RESETCONTENT, 0, 0); }

bool Win32Combo::IsDroppedDown() const {
  return SendMessageA(handle_, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

// Win32Button

int Win32Button::GetCheck() const {
  return SendMessageA(handle_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Win32Button::SetCheck(int state) {
  SendMessageA(handle_, BM_SETCHECK, state != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Button::SetIcon(HICON icon) {
  SendMessageA(handle_, BM_SETIMAGE, IMAGE_ICON,
               reinterpret_cast<::LPARAM>(icon != nullptr ? NativeIcon(icon->id, true) : nullptr));
}

// Win32ToolTip

Win32ToolTip::Win32ToolTip(WindowPeer* dialog, ::HWND handle)
    : Native(ControlKind::ToolTip, 0, dialog, handle) {}

Win32ToolTip::~Win32ToolTip() {
  // Usually gone already: destroying the dialog destroys the windows it owns.
  if (handle_ != nullptr && IsWindow(handle_)) DestroyWindow(handle_);
}

void Win32ToolTip::AddTool(HWND tool, const std::string& text) {
  TOOLINFOA info = ToolInfo(HandleOf(Parent()), HandleOf(tool));
  info.lpszText = const_cast<char*>(text.c_str());  // the control keeps a copy
  SendMessageA(handle_, TTM_ADDTOOLA, 0, reinterpret_cast<::LPARAM>(&info));
}

void Win32ToolTip::Activate(bool active) {
  SendMessageA(handle_, TTM_ACTIVATE, active ? TRUE : FALSE, 0);
}

void Win32ToolTip::RelayEvent(const MSG& msg) {
  ::MSG native{};
  const ::MSG* current = CurrentNativeMessage();
  if (current != nullptr && current->message == msg.message) {
    native = *current;
  } else {
    native.hwnd = HandleOf(msg.hwnd);
    native.message = msg.message;
    native.wParam = msg.wParam;
    native.lParam = msg.lParam;
  }
  SendMessageA(handle_, TTM_RELAYEVENT, 0, reinterpret_cast<::LPARAM>(&native));
}

int Win32ToolTip::GetToolCount() const {
  return static_cast<int>(SendMessageA(handle_, TTM_GETTOOLCOUNT, 0, 0));
}

std::string Win32ToolTip::GetToolText(HWND tool) const {
  char text[1024] = {};
  TOOLINFOA info = ToolInfo(HandleOf(Parent()), HandleOf(tool));
  info.lpszText = text;
  // Common controls 6 take the buffer's size in wParam.
  SendMessageA(handle_, TTM_GETTEXTA, sizeof text, reinterpret_cast<::LPARAM>(&info));
  return text;
}

// Win32Dialog

Win32Dialog::Win32Dialog(Win32Backend& backend, const DialogTemplate& dialogTemplate,
                         WindowPeer* owner)
    : Native(ControlKind::Dialog, dialogTemplate.id, owner, nullptr),
      backend_(backend),
      template_(dialogTemplate) {}

Win32Dialog::~Win32Dialog() = default;

void Win32Dialog::AddControl(std::unique_ptr<WindowPeer> control) {
  controls_.push_back(std::move(control));
}

WindowPeer* Win32Dialog::Item(int id) {
  for (const auto& control : controls_)
    if (control->Id() == id) return control.get();
  return nullptr;
}

void Win32Dialog::RunModalLoop() { backend_.RunModalLoop(*this); }

void Win32Dialog::Show(bool show) {
  ShowWindow(handle_, show ? SW_SHOW : SW_HIDE);
  if (show) UpdateWindow(handle_);
}

bool Win32Dialog::IsVisible() const { return IsWindowVisible(handle_) != FALSE; }

void Win32Dialog::SetTimer(UINT_PTR id, UINT elapse) { ::SetTimer(handle_, id, elapse, nullptr); }

void Win32Dialog::KillTimer(UINT_PTR id) { ::KillTimer(handle_, id); }

void Win32Dialog::EndModalLoop() {
  ended_ = true;
  // Wakes the loop should it be waiting for a message.
  PostMessageA(handle_, WM_NULL, 0, 0);
}

void Win32Dialog::SetIcon(HICON icon, bool big) {
  auto native = static_cast<::HICON>(icon != nullptr ? NativeIcon(icon->id, big) : nullptr);
  if (big) bigIcon_ = native;
  SendMessageA(handle_, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
               reinterpret_cast<::LPARAM>(native));
}

ToolTipPeer& Win32Dialog::CreateToolTip() {
  if (!toolTip_) {
    // A tooltip control owned by the dialog, with no styles of its own.
    ::HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle_, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    toolTip_ = std::make_unique<Win32ToolTip>(this, tip);
  }
  return *toolTip_;
}

}  // namespace korvel::win32
