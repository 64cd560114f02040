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

Win32List::Win32List(ControlKind kind, int id, WindowPeer* parent, ::HWND handle)
    : Native(kind, id, parent, handle) {
  Rows().SetListener(this);
}

Win32List::~Win32List() { Rows().SetListener(nullptr); }

void Win32List::CountLater() {
  if (syncPosted_) return;
  syncPosted_ = true;
  PostMessageA(GetParent(handle_), kSyncListMessage, static_cast<::WPARAM>(Id()), 0);
}

void Win32List::SyncCount() {
  syncPosted_ = false;
  const int count = Rows().Count();
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
  const std::string_view text = Rows().Cell(cell->iItem, cell->iSubItem);
  if (!wide) {
    // Our own buffer, so the control may show the whole cell.
    narrow_.assign(text);
    cell->pszText = narrow_.data();
    return;
  }
  wide_.clear();
  if (!text.empty()) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    wide_.resize(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide_.data(),
                        length);
  }
  reinterpret_cast<LVITEMW*>(item)->pszText = wide_.data();
}

void Win32List::StateChanged(int first, int last, UINT newState, UINT oldState) {
  if (showing_) return;
  if (first < 0) {
    first = 0;
    last = Rows().Count() - 1;
  }
  if (((newState ^ oldState) & LVIS_SELECTED) != 0)
    Rows().SelectFromView(first, last, (newState & LVIS_SELECTED) != 0);
  if ((newState & LVIS_FOCUSED) != 0 && first == last) Rows().FocusFromView(first);
}

void Win32List::RowsAppended(int, int) { CountLater(); }

void Win32List::BeginRemoveRows(int first, int last) {
  SyncCount();
  showing_ = true;
  // The control drops the rows' selection and moves the ones below up.
  for (int row = last; row >= first; --row)
    SendMessageA(handle_, LVM_DELETEITEM, static_cast<::WPARAM>(row), 0);
  showing_ = false;
}

void Win32List::EndRemoveRows() {
  shown_ = Rows().Count();
  ShowStoreSelection();
  InvalidateRect(handle_, nullptr, FALSE);
}

void Win32List::EndReset() {
  shown_ = Rows().Count();
  syncPosted_ = false;
  SendMessageA(handle_, LVM_SETITEMCOUNT, static_cast<::WPARAM>(shown_), 0);
  ShowStoreSelection();
  InvalidateRect(handle_, nullptr, TRUE);
}

void Win32List::CellChanged(int row, int) {
  if (row < shown_) SendMessageA(handle_, LVM_REDRAWITEMS, static_cast<::WPARAM>(row), row);
}

void Win32List::SelectionChanged() {
  SyncCount();
  ShowStoreSelection();
}

void Win32List::ShowStoreSelection() {
  showing_ = true;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessageA(handle_, LVM_SETITEMSTATE, static_cast<::WPARAM>(-1),
               reinterpret_cast<::LPARAM>(&item));
  item.stateMask = LVIS_SELECTED;
  item.state = LVIS_SELECTED;
  const ListRows& rows = Rows();
  for (int row = rows.NextSelected(-1); row >= 0 && row < shown_; row = rows.NextSelected(row))
    SendMessageA(handle_, LVM_SETITEMSTATE, static_cast<::WPARAM>(row),
                 reinterpret_cast<::LPARAM>(&item));
  if (const int focused = rows.Focused(); focused >= 0 && focused < shown_) {
    item.stateMask = LVIS_FOCUSED;
    item.state = LVIS_FOCUSED;
    SendMessageA(handle_, LVM_SETITEMSTATE, static_cast<::WPARAM>(focused),
                 reinterpret_cast<::LPARAM>(&item));
    SendMessageA(handle_, LVM_ENSUREVISIBLE, static_cast<::WPARAM>(focused), FALSE);
  }
  showing_ = false;
}

void Win32List::ColumnInserted(int index, int format, int width) {
  const std::string heading = Rows().Heading(index);
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = format;
  column.pszText = const_cast<char*>(heading.c_str());
  column.iSubItem = index;
  if (width >= 0) {
    column.mask |= LVCF_WIDTH;
    column.cx = width;
  }
  SendMessageA(handle_, LVM_INSERTCOLUMNA, static_cast<::WPARAM>(index),
               reinterpret_cast<::LPARAM>(&column));
}

DWORD Win32List::GetExtendedStyle() const {
  return static_cast<DWORD>(SendMessageA(handle_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

void Win32List::SetExtendedStyle(DWORD styles) {
  SendMessageA(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<::LPARAM>(styles));
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
