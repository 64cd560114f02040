// The Win32 backend's prompts on the system's own dialogs (under Wine in CI):
// a timer answers each dialog the way a user would, by its controls.
#include <gtest/gtest.h>

#include <string>

#include "app/folder_dialog.h"
#include "timer_script.h"
#include "ui/win32/win32_backend.h"
#include "ui/win32/windows_api.h"

namespace korvel {
namespace {

using testing::TimerScript;
using win32::Win32Backend;

// The system dialog now up in this thread (a message box, a file dialog or
// the folder browser all have the dialog class).
BOOL CALLBACK FindSystemDialog(::HWND window, ::LPARAM data) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<::HWND*>(data) = window;
  return FALSE;
}

::HWND SystemDialog() {
  ::HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindSystemDialog, reinterpret_cast<::LPARAM>(&found));
  return found;
}

bool DialogIsUp() { return SystemDialog() != nullptr; }

std::string Caption(::HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Presses a button of the dialog that is up.
void Press(int button) {
  ::HWND dialog = SystemDialog();
  ASSERT_NE(dialog, nullptr) << "no dialog is up";
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<::LPARAM>(GetDlgItem(dialog, button)));
}

// Types a name into a file dialog's file-name field.
void TypeFileName(const std::string& name) {
  ::HWND dialog = SystemDialog();
  ASSERT_NE(dialog, nullptr) << "no file dialog is up";
  // The explorer-style dialogs name the field cmb13 or edt1.
  for (int field : {0x47C, 0x480})
    if (GetDlgItem(dialog, field) != nullptr) SetDlgItemTextA(dialog, field, name.c_str());
}

class Win32PromptsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "korvel-prompts-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    DeleteFileA((folder_ + "\\in.txt").c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  Win32Backend backend;
  Prompts& prompts = backend.GetPrompts();
  TimerScript script;
  std::string folder_;
};

TEST_F(Win32PromptsTest, MessageBoxGivesTheButtonChosen) {
  std::string caption;
  script.Until("the box is up", DialogIsUp)
      .Step("read the box", [&] { caption = Caption(SystemDialog()); })
      .Step("answer No", [] { Press(IDNO); });
  script.Start();
  EXPECT_EQ(
      prompts.MessageBox(nullptr, "Remove all items?", "Question", MB_YESNO | MB_ICONQUESTION),
      IDNO);
  EXPECT_EQ(caption, "Question");
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(script.TimedOut(), "");
}

TEST_F(Win32PromptsTest, OpenDialogGivesTheChosenFileAndNothingOnCancel) {
  const std::string file = folder_ + "\\in.txt";
  CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  FileDialogRequest request;
  request.open = true;
  request.fileName = "*.*";
  request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  request.filter = "All Files (*.*)|*.*|";
  script.Until("the dialog is up", DialogIsUp)
      .Step("type the name", [&] { TypeFileName(file); })
      .Step("open", [] { Press(IDOK); });
  script.Start();
  EXPECT_EQ(prompts.ChooseFile(request), file);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(script.TimedOut(), "");

  TimerScript cancel;
  cancel.Until("the dialog is up", DialogIsUp).Step("cancel", [] { Press(IDCANCEL); });
  cancel.Start();
  EXPECT_EQ(prompts.ChooseFile(request), std::nullopt);
}

TEST_F(Win32PromptsTest, SaveDialogAddsTheDefaultExtension) {
  FileDialogRequest request;
  request.open = false;
  request.defaultExtension = "txt";
  request.fileName = "*.txt";
  request.flags = OFN_HIDEREADONLY;
  request.filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|";
  script.Until("the dialog is up", DialogIsUp)
      .Step("type the name", [&] { TypeFileName(folder_ + "\\links"); })
      .Step("save", [] { Press(IDOK); });
  script.Start();
  EXPECT_EQ(prompts.ChooseFile(request), folder_ + "\\links.txt");
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(script.TimedOut(), "");
}

TEST_F(Win32PromptsTest, FolderBrowserStartsOnTheInitialFolderAndGivesIt) {
  FolderDialogRequest request;
  request.initialFolder = folder_;
  request.flags = BIF_RETURNONLYFSDIRS;
  script.Until("the browser is up", DialogIsUp).Step("accept the folder selected at start", [] {
    Press(IDOK);
  });
  script.Start();
  EXPECT_EQ(prompts.ChooseFolder(request), folder_);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(script.TimedOut(), "");

  TimerScript cancel;
  cancel.Until("the browser is up", DialogIsUp).Step("cancel", [] { Press(IDCANCEL); });
  cancel.Start();
  EXPECT_EQ(prompts.ChooseFolder(request), std::nullopt);
}

TEST_F(Win32PromptsTest, FolderDialogTellsAnItemWithoutAPathFromACancel) {
  ScopedBackend installed(backend);
  // My Computer is an item of the shell with no file-system path.
  CFolderDialog computer(nullptr, "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", nullptr, 0);
  script.Until("the browser is up", DialogIsUp).Step("accept My Computer", [] { Press(IDOK); });
  script.Start();
  EXPECT_EQ(computer.DoModal(), IDCANCEL);
  EXPECT_EQ(computer.GetFolderPath(), "");

  CFolderDialog cancelled(nullptr, folder_.c_str(), nullptr, BIF_RETURNONLYFSDIRS);
  TimerScript cancel;
  cancel.Until("the browser is up", DialogIsUp).Step("cancel", [] { Press(IDCANCEL); });
  cancel.Start();
  EXPECT_EQ(cancelled.DoModal(), -1);

  CFolderDialog chosen(nullptr, folder_.c_str(), nullptr, BIF_RETURNONLYFSDIRS);
  TimerScript accept;
  accept.Until("the browser is up", DialogIsUp).Step("accept", [] { Press(IDOK); });
  accept.Start();
  EXPECT_EQ(chosen.DoModal(), IDOK);
  EXPECT_EQ(chosen.GetFolderPath(), folder_);
}

}  // namespace
}  // namespace korvel
