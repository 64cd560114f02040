#pragma once
// The native backend for 32-bit Windows: the dialog templates of res/ become
// real dialog windows (built in memory as DLGTEMPLATEEX), with the common
// controls, the program's menu and pictures from its resources, and the
// system's message boxes, file dialogs and folder browser. See ui/README.md.
//
// No <windows.h> here: native handles cross this header as void*.
#include <functional>
#include <memory>
#include <string>

#include "ui/backend.h"

namespace korvel::win32 {

class Win32Dialog;

class Win32Backend : public Backend {
 public:
  // Resources (menu, icons, bitmap) come from the program's own module.
  Win32Backend();
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  DialogPeer& CreateDialogWindow(const DialogTemplate& dialogTemplate, HWND owner) override;
  void DestroyDialogWindow(DialogPeer& dialog) override;
  HWND GetFocus() override;
  Desktop& GetDesktop() override;
  Prompts& GetPrompts() override;

  // Called when a modal loop has shown its dialog, before the first message;
  // a self-test starts its timer here.
  std::function<void(DialogPeer&)> onDialogShown;

  // The peer of a native window, or of its nearest ancestor that has one
  // (the edit field inside a combo box gives the combo box).
  WindowPeer* PeerOf(void* nativeWindow) const;

  void RunModalLoop(Win32Dialog& dialog);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The native window handle (HWND) behind a peer of this backend, else null.
void* NativeWindow(const WindowPeer* peer);

// The native icon (HICON) of one of the program's icons, at the system's
// large or small icon size; loaded once, kept for the program's life.
void* NativeIcon(int iconId, bool big);

// The program's own file (GetModuleFileNameA), whatever name it was started
// under: the manual beside it must be found also when the program was
// started from the search path. `fallback` when that fails.
std::string ModulePath(const std::string& fallback);

}  // namespace korvel::win32
