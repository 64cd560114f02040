#pragma once
// What the program needs of the desktop besides its own windows, as two
// interfaces a backend provides and a test can replace:
//   Desktop: sounds, the cursor, opening files and folders in other programs;
//   Prompts: message boxes and the open/save/folder dialogs.
#include <functional>
#include <optional>
#include <string>

#include "ui/win_types.h"

namespace korvel {

class CWnd;

class Desktop {
 public:
  virtual ~Desktop() = default;
  // MB_ICONASTERISK (information) or MB_ICONHAND (stop).
  virtual void MessageBeep(UINT type) = 0;
  virtual HCURSOR GetCursor() = 0;
  // Shows a standard cursor (IDC_WAIT, IDC_ARROW...); returns the one before.
  virtual HCURSOR SetCursor(HCURSOR cursor) = 0;
  // Opens a file in its default program; false when that failed.
  virtual bool OpenDocument(HWND owner, const std::string& path) = 0;
  // Shows a folder in the file manager; false when that failed.
  virtual bool ExploreFolder(HWND owner, const std::string& folder) = 0;
  // Puts text (bytes, lines ending in LF; the desktop's own line end is
  // put in) on the clipboard; false when the clipboard could not be had.
  virtual bool SetClipboardText(HWND owner, const std::string& text) = 0;
};

struct FileDialogRequest {
  HWND owner = nullptr;
  bool open = true;              // open an existing file, else save
  std::string defaultExtension;  // appended to a typed name without one
  std::string fileName;          // initial name, may be a pattern like "*.txt"
  DWORD flags = 0;               // OFN_*
  std::string filter;            // "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"
};

struct FolderDialogRequest {
  HWND owner = nullptr;
  std::string title;          // text above the tree; empty: none
  std::string initialFolder;  // folder selected at start; empty: none
  UINT flags = 0;             // BIF_*
  // A typed name that names no folder; nonzero keeps the chooser open.
  std::function<int(const std::string& typed)> validateFailed;
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  // Returns the button chosen (IDOK, IDCANCEL, IDYES, IDNO).
  virtual int MessageBox(HWND owner, const std::string& text, const std::string& caption,
                         UINT type) = 0;
  // The full path chosen, or nothing when cancelled.
  virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;
  // One absolute folder path; an empty text when the item chosen has no
  // file-system path; nothing when cancelled.
  virtual std::optional<std::string> ChooseFolder(const FolderDialogRequest& request) = 0;
};

// The services in force: the backend's, unless replaced by a ScopedDesktop or
// ScopedPrompts (ui/backend.h).
Desktop& CurrentDesktop();
Prompts& CurrentPrompts();

void MessageBeep(UINT type);
HCURSOR GetCursor();
HCURSOR SetCursor(HCURSOR cursor);
// The verbs "open" (a file in its program) and "explore" (a folder in the
// file manager). Results above 32 mean success.
INT_PTR ShellExecute(CWnd* owner, const std::string& verb, const std::string& file);

}  // namespace korvel
