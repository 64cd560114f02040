#include "app/folder_dialog.h"

#include "ui/desktop.h"

namespace korvel {

CFolderDialog::CFolderDialog(const char* title, const char* initialFolder, CWnd* owner, UINT flags)
    : m_title(title != nullptr ? title : ""),
      m_initialFolder(initialFolder != nullptr ? initialFolder : ""),
      m_flags(flags) {
  m_pParentWnd = owner;
}

INT_PTR CFolderDialog::DoModal() {
  FolderDialogRequest request;
  CWnd* owner = PreModal();
  request.owner = owner != nullptr ? owner->m_hWnd : nullptr;
  request.title = m_title;
  request.initialFolder = m_initialFolder;
  request.flags = m_flags;
  request.validateFailed = [this](const std::string& typed) {
    return OnBrowseValidateFailed(typed);
  };
  std::optional<std::string> chosen = CurrentPrompts().ChooseFolder(request);
  PostModal();
  if (!chosen) return -1;
  if (chosen->empty()) return IDCANCEL;
  m_folderPath = std::move(*chosen);
  return IDOK;
}

int CFolderDialog::OnBrowseValidateFailed(const std::string&) {
  MessageBeep(MB_ICONHAND);
  return 1;
}

BEGIN_MESSAGE_MAP(CFolderDialog, CDialog)
END_MESSAGE_MAP()

}  // namespace korvel
