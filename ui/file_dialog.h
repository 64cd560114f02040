#pragma once
// CFileDialog: the desktop's open-one-file and save-one-file dialogs.
#include <string>
#include <utility>
#include <vector>

#include "ui/desktop.h"
#include "ui/wnd.h"

namespace korvel {

class CFileDialog {
 public:
  CFileDialog(BOOL openFileDialog, const char* defaultExtension = nullptr,
              const char* fileName = nullptr, DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
              const char* filter = nullptr, CWnd* parent = nullptr);

  // IDOK when a file was chosen, else IDCANCEL.
  INT_PTR DoModal();
  std::string GetPathName() const { return path_; }
  const FileDialogRequest& Request() const { return request_; }

 private:
  FileDialogRequest request_;
  CWnd* parent_;
  std::string path_;
};

// "A|*.a|B|*.b|" as (display text, patterns) pairs; patterns may be "*.a;*.b".
std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string& filter);
// What a save dialog returns for a typed name: `extension` appended when the
// file name has no extension of its own.
std::string ApplyDefaultExtension(const std::string& path, const std::string& extension);

}  // namespace korvel
