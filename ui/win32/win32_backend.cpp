#include "ui/win32/win32_backend.h"

#include <algorithm>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ui/win32/dialog_template_bytes.h"
#include "ui/win32/win32_peers.h"
#include "ui/win32/win32_services.h"
#include "ui/win32/windows_api.h"

namespace korvel::win32 {
namespace {

Win32Backend* g_backend = nullptr;  // the dialog procedure's way back

constexpr int kWaitCursor = 32514;  // the layer's IDC_WAIT, which <windows.h> redefines

// An exception must not unwind through the system's frames between
// DispatchMessage and the dialog procedure: it is caught there and thrown
// again from the modal loop.
std::exception_ptr g_pendingException;

BYTE HeldModifiers() {
  BYTE held = 0;
  if (GetKeyState(VK_SHIFT) < 0) held |= FSHIFT;
  if (GetKeyState(VK_CONTROL) < 0) held |= FCONTROL;
  if (GetKeyState(VK_MENU) < 0) held |= FALT;
  return held;
}

bool IsMouseMessage(UINT message) {
  return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
         message == WM_RBUTTONDOWN || message == WM_RBUTTONUP || message == WM_MBUTTONDOWN ||
         message == WM_MBUTTONUP;
}

std::vector<std::string> DroppedPaths(::HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::string path(length + 1, '\0');
    DragQueryFileA(drop, i, path.data(), length + 1);
    path.resize(length);
    paths.push_back(std::move(path));
  }
  DragFinish(drop);
  return paths;
}

// The main icon centred in the client area of a minimised window.
void PaintMinimised(::HWND window, ::HICON icon) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<::WPARAM>(dc), 0);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(window, &client);
  const int x = (client.right - client.left - iconWidth + 1) / 2;
  const int y = (client.bottom - client.top - iconHeight + 1) / 2;
  DrawIcon(dc, x, y, icon);
  EndPaint(window, &paint);
}

std::unique_ptr<WindowPeer> MakeControlPeer(const ControlTemplate& control, WindowPeer* dialog,
                                            ::HWND handle) {
  switch (control.kind) {
    case ControlKind::ListView:
      return std::make_unique<Win32List>(control.kind, control.id, dialog, handle);
    case ControlKind::ComboBox:
      return std::make_unique<Win32Combo>(control.kind, control.id, dialog, handle);
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
      return std::make_unique<Win32Button>(control.kind, control.id, dialog, handle);
    case ControlKind::ProgressBar:
      return std::make_unique<Win32Progress>(control.kind, control.id, dialog, handle);
    default: return std::make_unique<Win32Static>(control.kind, control.id, dialog, handle);
  }
}

INT_PTR CALLBACK DialogProc(::HWND window, UINT message, ::WPARAM wParam, ::LPARAM lParam);

}  // namespace

struct Win32Backend::Impl {
  std::vector<std::unique_ptr<Win32Dialog>> dialogs;
  std::unordered_map<::HWND, WindowPeer*> peers;
  Win32Desktop desktop;
  Win32Prompts prompts;
  bool comInitialised = false;

  Win32Dialog* DialogOf(::HWND window) const {
    const auto it = peers.find(window);
    if (it == peers.end() || it->second->Kind() != ControlKind::Dialog) return nullptr;
    return static_cast<Win32Dialog*>(it->second);
  }
};

void* NativeWindow(const WindowPeer* peer) {
  const auto* native = dynamic_cast<const NativePeer*>(peer);
  return native != nullptr ? native->Handle() : nullptr;
}

void* NativeIcon(int iconId, bool big) {
  static std::map<std::pair<int, bool>, ::HICON> loaded;
  auto& icon = loaded[{iconId, big}];
  if (icon == nullptr) {
    const int size = GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON);
    icon = static_cast<::HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId),
                                           IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  }
  return icon;
}

std::string ModulePath(const std::string& fallback) {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const ::DWORD length =
        GetModuleFileNameA(nullptr, path.data(), static_cast<::DWORD>(path.size()));
    if (length == 0) return fallback;
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);  // cut short: ask again with more room
  }
}

Win32Backend::Win32Backend() : impl_(std::make_unique<Impl>()) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // The folder browser is a COM object of the shell.
  impl_->comInitialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  g_backend = this;
}

Win32Backend::~Win32Backend() {
  while (!impl_->dialogs.empty()) DestroyDialogWindow(*impl_->dialogs.back());
  if (impl_->comInitialised) CoUninitialize();
  if (g_backend == this) g_backend = nullptr;
}

DialogPeer& Win32Backend::CreateDialogWindow(const DialogTemplate& dialogTemplate, HWND owner) {
  auto dialog = std::make_unique<Win32Dialog>(*this, dialogTemplate, owner);
  const std::vector<std::uint32_t> block = BuildDialogTemplate(dialogTemplate);
  ::HWND handle = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEA>(block.data()),
                                             static_cast<::HWND>(NativeWindow(owner)), DialogProc,
                                             reinterpret_cast<::LPARAM>(dialog.get()));
  if (handle == nullptr)
    throw std::runtime_error("cannot create dialog " + std::to_string(dialogTemplate.id) +
                             " (error " + std::to_string(GetLastError()) + ")");
  // The dialog manager made the controls in template order, which is also
  // their order among the dialog's children.
  ::HWND child = GetWindow(handle, GW_CHILD);
  for (const ControlTemplate& control : dialogTemplate.controls) {
    if (child == nullptr || GetDlgCtrlID(child) != control.id) {
      DestroyWindow(handle);
      throw std::runtime_error("dialog " + std::to_string(dialogTemplate.id) +
                               " lacks its control " + std::to_string(control.id));
    }
    auto peer = MakeControlPeer(control, dialog.get(), child);
    impl_->peers[child] = peer.get();
    dialog->AddControl(std::move(peer));
    child = GetWindow(child, GW_HWNDNEXT);
  }
  impl_->peers[handle] = dialog.get();
  impl_->dialogs.push_back(std::move(dialog));
  return *impl_->dialogs.back();
}

void Win32Backend::DestroyDialogWindow(DialogPeer& dialog) {
  auto& dialogs = impl_->dialogs;
  const auto it = std::find_if(dialogs.begin(), dialogs.end(),
                               [&dialog](const auto& d) { return d.get() == &dialog; });
  if (it == dialogs.end()) return;
  std::unique_ptr<Win32Dialog> closing = std::move(*it);
  dialogs.erase(it);
  for (const auto& control : closing->Controls())
    impl_->peers.erase(static_cast<::HWND>(NativeWindow(control.get())));
  impl_->peers.erase(closing->Handle());
  // The owner was enabled again first, so the system activates it and its
  // dialog manager gives the focus back to the control that had it.
  DestroyWindow(closing->Handle());
}

HWND Win32Backend::GetFocus() { return PeerOf(::GetFocus()); }

Desktop& Win32Backend::GetDesktop() { return impl_->desktop; }

Prompts& Win32Backend::GetPrompts() { return impl_->prompts; }

WindowPeer* Win32Backend::PeerOf(void* nativeWindow) const {
  // Up through child windows only: a top-level window's parent is its owner,
  // and a message box owned by a dialog is not one of its controls.
  for (auto window = static_cast<::HWND>(nativeWindow); window != nullptr;) {
    const auto it = impl_->peers.find(window);
    if (it != impl_->peers.end()) return it->second;
    if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0) break;
    window = GetParent(window);
  }
  return nullptr;
}

void Win32Backend::RunModalLoop(Win32Dialog& dialog) {
  ::HWND handle = dialog.Handle();
  dialog.StartModal();
  if (dialog.ShowOnRun()) {
    ShowWindow(handle, SW_SHOW);
    UpdateWindow(handle);
  }
  if (onDialogShown) onDialogShown(dialog);
  ::MSG msg{};
  while (!dialog.Ended()) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      // Asked to quit (the session ends): close as the close box does, so the
      // settings are saved, and leave the quit for the loops outside.
      PostQuitMessage(static_cast<int>(msg.wParam));
      SendClose(&dialog);
      break;
    }
    WindowPeer* target = PeerOf(msg.hwnd);
    if (target != nullptr) {
      // Our windows' input goes through the layer first: the dialogs'
      // PreTranslateMessage (tooltips), the application's message filter
      // (the accelerators) and the dialog keys Enter and Escape.
      SetCurrentNativeMessage(&msg);
      bool consumed = false;
      if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        // An open drop-down list keeps Enter and Escape for itself.
        auto* combo = dynamic_cast<Win32Combo*>(target);
        const bool listKeeps = combo != nullptr && combo->IsDroppedDown() &&
                               (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE);
        if (!listKeeps)
          consumed = RouteKeyDown(target, static_cast<UINT>(msg.wParam), HeldModifiers());
      } else if (IsMouseMessage(msg.message)) {
        MSG input;
        input.hwnd = target;
        input.message = msg.message;
        input.wParam = msg.wParam;
        input.lParam = msg.lParam;
        input.modifiers = HeldModifiers();
        consumed = PreTranslateInput(input);
      }
      SetCurrentNativeMessage(nullptr);
      if (consumed) continue;
      // Tab, arrows and mnemonics: the dialog manager of the window's dialog.
      if (Win32Dialog* owner =
              target->Dialog() != nullptr ? static_cast<Win32Dialog*>(target->Dialog()) : nullptr;
          owner != nullptr && IsDialogMessageA(owner->Handle(), &msg))
        continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    if (g_pendingException) std::rethrow_exception(std::exchange(g_pendingException, nullptr));
  }
}

namespace {

INT_PTR HandleDialogMessage(::HWND window, UINT message, ::WPARAM wParam, ::LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<Win32Dialog*>(lParam);
    dialog->SetHandle(window);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    return FALSE;  // the layer puts the focus where it belongs
  }
  auto* dialog = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (dialog == nullptr || g_backend == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND: {
      const UINT code = HIWORD(wParam);
      if (lParam == 0) {
        // Menu items. IDOK and IDCANCEL without a control come from the
        // system's own Enter/Escape handling, which the layer does itself.
        const UINT command = LOWORD(wParam);
        if (code == 0 && command != IDOK && command != IDCANCEL) SendMenuCommand(dialog, command);
        return TRUE;
      }
      WindowPeer* control = g_backend->PeerOf(reinterpret_cast<::HWND>(lParam));
      if (control == nullptr) return FALSE;
      if (code == BN_CLICKED &&
          (control->Kind() == ControlKind::PushButton || control->Kind() == ControlKind::CheckBox))
        SendClicked(control);
      else if (code == CBN_KILLFOCUS && control->Kind() == ControlKind::ComboBox)
        SendKillFocus(control);
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const ::NMHDR*>(lParam);
      if (header->code == LVN_GETDISPINFOA || header->code == LVN_GETDISPINFOW) {
        if (auto* list = dynamic_cast<Win32List*>(g_backend->PeerOf(header->hwndFrom)))
          list->GetDispInfo(&reinterpret_cast<::NMLVDISPINFOA*>(lParam)->item,
                            header->code == LVN_GETDISPINFOW);
        return TRUE;
      }
      // The user's selection goes to the row store.
      if (header->code == LVN_ITEMCHANGED || header->code == LVN_ODSTATECHANGED) {
        if (auto* list = dynamic_cast<Win32List*>(g_backend->PeerOf(header->hwndFrom))) {
          if (header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const ::NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) != 0)
              list->StateChanged(change->iItem, change->iItem, change->uNewState,
                                 change->uOldState);
          } else {
            const auto* range = reinterpret_cast<const ::NMLVODSTATECHANGE*>(lParam);
            list->StateChanged(range->iFrom, range->iTo, range->uNewState, range->uOldState);
          }
        }
        return TRUE;
      }
      if (header->code != NM_DBLCLK && header->code != NM_RDBLCLK) return FALSE;
      WindowPeer* control = g_backend->PeerOf(header->hwndFrom);
      if (control == nullptr || control->Kind() != ControlKind::ListView) return FALSE;
      SetWindowLongPtrA(window, DWLP_MSGRESULT, SendNotify(control, header->code));
      return TRUE;
    }
    case WM_DROPFILES:
      SendDropFiles(dialog, DroppedPaths(reinterpret_cast<::HDROP>(wParam)));
      return TRUE;
    case WM_CLOSE: SendClose(dialog); return TRUE;
    case WM_ENDSESSION:
      // The session ends once this returns: close as the close box does now,
      // so the settings are saved (a sweep is cancelled first).
      if (wParam != FALSE) SendClose(dialog);
      return TRUE;
    case WM_TIMER: SendTimer(dialog, static_cast<UINT_PTR>(wParam)); return TRUE;
    case kSyncListMessage:
      if (auto* list = dynamic_cast<Win32List*>(dialog->Item(static_cast<int>(wParam))))
        list->SyncCount();
      return TRUE;
    case WM_SETCURSOR:
      // A window waiting for its sweep keeps the wait cursor the sweep set,
      // though the loop runs and the mouse moves.
      if (IsWindowEnabled(window) || CurrentDesktop().GetCursor() != kWaitCursor) return FALSE;
      ::SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(kWaitCursor)));
      SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_PAINT:
      if (!IsIconic(window) || dialog->BigIcon() == nullptr) return FALSE;
      PaintMinimised(window, dialog->BigIcon());
      return TRUE;
    case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(dialog->BigIcon());
    default: return FALSE;
  }
}

INT_PTR CALLBACK DialogProc(::HWND window, UINT message, ::WPARAM wParam, ::LPARAM lParam) {
  try {
    return HandleDialogMessage(window, message, wParam, lParam);
  } catch (...) {
    if (!g_pendingException) g_pendingException = std::current_exception();
    return TRUE;
  }
}

}  // namespace
}  // namespace korvel::win32
