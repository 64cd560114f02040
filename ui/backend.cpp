#include "ui/backend.h"

#include <chrono>
#include <stdexcept>
#include <utility>

#include "ui/wnd.h"

namespace korvel {
namespace {

struct Installed {
  Backend* backend = nullptr;
  Prompts* prompts = nullptr;
  Desktop* desktop = nullptr;
};

Installed& Current() {
  static Installed installed;
  return installed;
}

// The dialog's layer object, which receives its controls' notifications.
CWnd* DialogWnd(HWND window) {
  if (window == nullptr) return nullptr;
  DialogPeer* dialog = window->Dialog();
  return dialog != nullptr ? dialog->Wnd() : nullptr;
}

// The user's input to a window whose dialog waits for a modal box goes
// nowhere; before a box is shown its owner is disabled already.
bool Waits(HWND window) {
  DialogPeer* dialog = window != nullptr ? window->Dialog() : nullptr;
  return dialog != nullptr && !dialog->IsEnabled();
}

}  // namespace

ULONGLONG Backend::GetTickCount() {
  return static_cast<ULONGLONG>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count());
}

WindowPeer::WindowPeer(ControlKind kind, int id, WindowPeer* parent)
    : kind_(kind), id_(id), parent_(parent) {}

WindowPeer::~WindowPeer() { Unbind(); }

void WindowPeer::Unbind() {
  if (attached_ != nullptr) attached_->m_hWnd = nullptr;
  attached_ = nullptr;
  if (generic_) generic_->m_hWnd = nullptr;
  generic_.reset();
}

DialogPeer* WindowPeer::Dialog() {
  if (kind_ == ControlKind::Dialog) return static_cast<DialogPeer*>(this);
  return parent_ != nullptr ? parent_->Dialog() : nullptr;
}

Backend& CurrentBackend() {
  if (Current().backend == nullptr) throw std::logic_error("no window backend is installed");
  return *Current().backend;
}

bool HasBackend() { return Current().backend != nullptr; }

Desktop& CurrentDesktop() {
  if (Current().desktop != nullptr) return *Current().desktop;
  return CurrentBackend().GetDesktop();
}

Prompts& CurrentPrompts() {
  if (Current().prompts != nullptr) return *Current().prompts;
  return CurrentBackend().GetPrompts();
}

template <>
Backend*& InstalledService<Backend>() {
  return Current().backend;
}
template <>
Prompts*& InstalledService<Prompts>() {
  return Current().prompts;
}
template <>
Desktop*& InstalledService<Desktop>() {
  return Current().desktop;
}

bool PreTranslateInput(MSG& msg) {
  if (Waits(msg.hwnd)) return true;  // consumed: the control must not see it either
  // From the target up to its dialog, as the framework walks the window tree.
  for (HWND window = msg.hwnd; window != nullptr;
       window = window->Kind() == ControlKind::Dialog ? nullptr : window->Parent()) {
    CWnd* wnd = window->Wnd();
    if (wnd != nullptr && wnd->PreTranslateMessage(&msg)) return true;
  }
  return false;
}

bool RouteKeyDown(HWND target, UINT virtualKey, BYTE modifiers) {
  MSG msg;
  msg.hwnd = target;
  msg.message = (modifiers & FALT) != 0 ? WM_SYSKEYDOWN : WM_KEYDOWN;
  msg.wParam = virtualKey;
  msg.modifiers = modifiers;
  return PreTranslateInput(msg);
}

void SendClicked(HWND button) {
  if (Waits(button)) return;
  if (CWnd* dialog = DialogWnd(button))
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(button->Id()), BN_CLICKED),
                        reinterpret_cast<LPARAM>(button));
}

void SendKillFocus(HWND combo) {
  if (CWnd* dialog = DialogWnd(combo))
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(combo->Id()), CBN_KILLFOCUS),
                        reinterpret_cast<LPARAM>(combo));
}

LRESULT SendNotify(HWND control, UINT code) {
  CWnd* dialog = DialogWnd(control);
  if (dialog == nullptr || Waits(control)) return 0;
  NMHDR header{control, static_cast<UINT>(control->Id()), code};
  return dialog->SendMessage(WM_NOTIFY, static_cast<WPARAM>(control->Id()),
                             reinterpret_cast<LPARAM>(&header));
}

void SendMenuCommand(HWND dialog, UINT command) {
  if (Waits(dialog)) return;
  if (CWnd* wnd = DialogWnd(dialog)) wnd->SendMessage(WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void SendDropFiles(HWND dialog, std::vector<std::string> paths) {
  CWnd* wnd = DialogWnd(dialog);
  if (wnd == nullptr || Waits(dialog)) return;
  DropFiles drop{std::move(paths)};
  wnd->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(&drop), 0);
}

void SendClose(HWND dialog) {
  if (CWnd* wnd = DialogWnd(dialog)) wnd->SendMessage(WM_CLOSE);
}

void SendTimer(HWND dialog, UINT_PTR id) {
  if (CWnd* wnd = DialogWnd(dialog)) wnd->SendMessage(WM_TIMER, id);
}

UINT DragQueryFileCount(HDROP drop) {
  return drop == nullptr || drop->finished ? 0 : static_cast<UINT>(drop->paths.size());
}

std::string DragQueryFile(HDROP drop, UINT index) {
  if (index >= DragQueryFileCount(drop)) return {};
  return drop->paths[index];
}

void DragFinish(HDROP drop) {
  if (drop != nullptr) drop->finished = true;
}

}  // namespace korvel
