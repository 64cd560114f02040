#pragma once
// Message boxes and file/folder dialogs answered from a script that the test
// writes beforehand. Every prompt is recorded; one the script did not foresee
// (or an answer the prompt could not give) is a ScriptError. Usable on its own
// (ScopedPrompts) in front of a real backend's windows.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/desktop.h"
#include "ui/headless/headless_peers.h"

namespace korvel::headless {

struct MessageBoxShown {
  std::string text;
  std::string caption;
  UINT type;
  int answer;
};

struct FileDialogShown {
  FileDialogRequest request;
  std::optional<std::string> answer;
};

struct FolderDialogShown {
  FolderDialogRequest request;
  std::optional<std::string> answer;
};

class ScriptedPrompts : public Prompts {
 public:
  // The next message box is answered with `button` (IDOK, IDYES, IDNO...);
  // `meanwhile` runs while the box is up, as if the user did something else.
  ScriptedPrompts& AnswerMessageBox(int button, std::function<void()> meanwhile = nullptr);
  // The next open or save dialog returns `path` as typed: a save dialog adds
  // its default extension as the desktop's would.
  ScriptedPrompts& AnswerFileDialog(std::string path);
  ScriptedPrompts& CancelFileDialog();
  ScriptedPrompts& AnswerFolderDialog(std::string folder);
  ScriptedPrompts& CancelFolderDialog();

  int MessageBox(HWND owner, const std::string& text, const std::string& caption,
                 UINT type) override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseFolder(const FolderDialogRequest& request) override;

  const std::vector<MessageBoxShown>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<FileDialogShown>& FileDialogs() const { return fileDialogs_; }
  const std::vector<FolderDialogShown>& FolderDialogs() const { return folderDialogs_; }
  // Scripted answers that no prompt took.
  std::size_t UnusedAnswers() const { return answers_.size(); }
  const std::vector<std::string>& Failures() const { return failures_; }

 private:
  enum class Kind { MessageBox, FileDialog, FolderDialog };
  struct Answer {
    Kind kind;
    int button = 0;
    std::optional<std::string> path;
    std::function<void()> meanwhile;
  };
  Answer Next(Kind kind, const std::string& shown);
  [[noreturn]] void Fail(const std::string& what);

  std::deque<Answer> answers_;
  std::vector<MessageBoxShown> messageBoxes_;
  std::vector<FileDialogShown> fileDialogs_;
  std::vector<FolderDialogShown> folderDialogs_;
  std::vector<std::string> failures_;
};

}  // namespace korvel::headless
