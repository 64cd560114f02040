#pragma once
#include <string>

#include "ui/dialog.h"

namespace korvel {

// Lets the user pick one folder with the desktop's folder chooser.
class CFolderDialog : public CDialog {
 public:
  // `title` and `initialFolder` may be null; `flags` are BIF_* bits.
  CFolderDialog(const char* title, const char* initialFolder, CWnd* owner, UINT flags);

  // IDOK with a folder path, IDCANCEL when the item chosen has no path, -1
  // when the user cancelled.
  INT_PTR DoModal() override;
  // The folder chosen, without a final separator except for a root.
  const std::string& GetFolderPath() const { return m_folderPath; }

 protected:
  // A typed name that names no folder: a stop sound, and the chooser stays.
  virtual int OnBrowseValidateFailed(const std::string& typed);

  DECLARE_MESSAGE_MAP()

 private:
  std::string m_title;
  std::string m_initialFolder;
  UINT m_flags;
  std::string m_folderPath;
};

}  // namespace korvel
