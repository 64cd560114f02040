#pragma once
// Message boxes and the open, save and folder dialogs, as Qt shows them.
#include <QString>

#include "ui/desktop.h"

namespace korvel::qt {

class QtPrompts final : public Prompts {
 public:
  int MessageBox(HWND owner, const std::string& text, const std::string& caption,
                 UINT type) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseFolder(const FolderDialogRequest& request) override;

 private:
  // The folder of the last choice, where the next chooser starts (for the
  // session: nothing of it is written anywhere).
  QString lastFolder_;
};

}  // namespace korvel::qt
