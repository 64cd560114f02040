#include "ui/headless/scripted_prompts.h"

#include <filesystem>

#include "ui/file_dialog.h"

namespace korvel::headless {
namespace {

bool ButtonOffered(UINT type, int button) {
  switch (type & MB_TYPEMASK) {
    case MB_OK: return button == IDOK;
    case MB_OKCANCEL: return button == IDOK || button == IDCANCEL;
    case MB_YESNO: return button == IDYES || button == IDNO;
    case MB_YESNOCANCEL: return button == IDYES || button == IDNO || button == IDCANCEL;
    default: return true;
  }
}

}  // namespace

ScriptedPrompts& ScriptedPrompts::AnswerMessageBox(int button, std::function<void()> meanwhile) {
  answers_.push_back({Kind::MessageBox, button, std::nullopt, std::move(meanwhile)});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::AnswerFileDialog(std::string path) {
  answers_.push_back({Kind::FileDialog, 0, std::move(path), nullptr});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::CancelFileDialog() {
  answers_.push_back({Kind::FileDialog, 0, std::nullopt, nullptr});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::AnswerFolderDialog(std::string folder) {
  answers_.push_back({Kind::FolderDialog, 0, std::move(folder), nullptr});
  return *this;
}

ScriptedPrompts& ScriptedPrompts::CancelFolderDialog() {
  answers_.push_back({Kind::FolderDialog, 0, std::nullopt, nullptr});
  return *this;
}

void ScriptedPrompts::Fail(const std::string& what) {
  failures_.push_back(what);
  throw ScriptError(what);
}

ScriptedPrompts::Answer ScriptedPrompts::Next(Kind kind, const std::string& shown) {
  if (answers_.empty()) Fail("unexpected " + shown + ": the script has no answer left");
  Answer answer = answers_.front();
  if (answer.kind != kind)
    Fail("unexpected " + shown + ": the script's next answer is for another prompt");
  answers_.pop_front();
  return answer;
}

int ScriptedPrompts::MessageBox(HWND, const std::string& text, const std::string& caption,
                                UINT type) {
  const Answer answer = Next(Kind::MessageBox, "message box \"" + text + "\"");
  messageBoxes_.push_back({text, caption, type, answer.button});
  if (!ButtonOffered(type, answer.button))
    Fail("message box \"" + text + "\" has no button " + std::to_string(answer.button));
  if (answer.meanwhile) answer.meanwhile();
  return answer.button;
}

std::optional<std::string> ScriptedPrompts::ChooseFile(const FileDialogRequest& request) {
  Answer answer = Next(Kind::FileDialog, request.open ? "open dialog" : "save dialog");
  FileDialogRequest shown = request;
  shown.owner = nullptr;
  if (answer.path && !request.open)
    answer.path = ApplyDefaultExtension(*answer.path, request.defaultExtension);
  fileDialogs_.push_back({shown, answer.path});
  if (answer.path && request.open && (request.flags & OFN_FILEMUSTEXIST) != 0) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(*answer.path, error))
      Fail("the open dialog cannot return a missing file: " + *answer.path);
  }
  return answer.path;
}

std::optional<std::string> ScriptedPrompts::ChooseFolder(const FolderDialogRequest& request) {
  const Answer answer = Next(Kind::FolderDialog, "folder dialog");
  FolderDialogRequest shown = request;
  shown.owner = nullptr;
  shown.validateFailed = nullptr;
  folderDialogs_.push_back({shown, answer.path});
  return answer.path;
}

}  // namespace korvel::headless
