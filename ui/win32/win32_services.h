#pragma once
// The desktop services and prompts of Windows: sounds, the cursor, the shell's
// "open" and "explore", message boxes, the common file dialogs and the
// shell's folder browser.
#include <optional>
#include <string>

#include "ui/desktop.h"

namespace korvel::win32 {

class Win32Desktop : public Desktop {
 public:
  Win32Desktop();
  void MessageBeep(UINT type) override;
  HCURSOR GetCursor() override { return cursor_; }
  HCURSOR SetCursor(HCURSOR cursor) override;
  bool OpenDocument(HWND owner, const std::string& path) override;
  bool ExploreFolder(HWND owner, const std::string& folder) override;
  bool SetClipboardText(HWND owner, const std::string& text) override;

 private:
  HCURSOR cursor_;
};

class Win32Prompts : public Prompts {
 public:
  int MessageBox(HWND owner, const std::string& text, const std::string& caption,
                 UINT type) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseFolder(const FolderDialogRequest& request) override;
};

}  // namespace korvel::win32
