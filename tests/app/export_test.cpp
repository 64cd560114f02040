// Exporting the addresses to a text file.
#include <csignal>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "tests/app/app_scenario.h"

namespace korvel::testing {
namespace {

using Export = AppScenario;

const Rows kRows{
    {"http://a.example/", "/x/a"}, {"mailto:b@c.example", "/x/b"}, {"http://a.example/", "/x/c"}};

TEST_F(Export, WritesOneAddressALineEndedByCrLf) {
  AddRows(kRows);
  ui.prompts().AnswerFileDialog(Path("out"));  // typed without an extension
  ui.Press('E', FCONTROL).Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(ReadFile("out.txt"),
            "http://a.example/\r\nmailto:b@c.example\r\nhttp://a.example/\r\n");
  const FileDialogRequest& shown = ui.prompts().FileDialogs().at(0).request;
  EXPECT_FALSE(shown.open);
  EXPECT_EQ(shown.filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
  EXPECT_EQ(shown.defaultExtension, "txt");
  EXPECT_EQ(shown.fileName, "*.txt");
  EXPECT_EQ(shown.flags, OFN_HIDEREADONLY);
  EXPECT_EQ(Main().List(IDC_RESULTS).GetItemCount(), 3) << "the list stays as it was";
}

TEST_F(Export, AnEmptyListOrACancelledDialogWritesNothing) {
  ui.prompts().CancelFileDialog();
  ui.Menu(ID_FILE_EXPORT);  // empty list: no dialog at all
  AddRows(kRows);
  ui.Menu(ID_FILE_EXPORT).Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(ui.prompts().FileDialogs().size(), 1u);
  EXPECT_TRUE(ui.prompts().MessageBoxes().empty());
}

TEST_F(Export, AnInvalidPathIsReportedAndCreatesNothing) {
  AddRows(kRows);
  ui.prompts().AnswerFileDialog(Path("missing/out.txt")).AnswerMessageBox(IDOK);
  ui.Press('E', FCONTROL).Press(VK_ESCAPE);
  RunProgram();
  const auto& box = ui.prompts().MessageBoxes().at(0);
  EXPECT_EQ(box.text, "Invalid path!");
  EXPECT_EQ(box.caption, "Warning");
  EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
  EXPECT_FALSE(std::filesystem::exists(Path("missing")));
}

TEST_F(Export, AnExistingFileIsReplacedOnlyAfterYes) {
  WriteFile("old.txt", "old\r\n");
  AddRows(kRows);
  ui.prompts()
      .AnswerFileDialog(Path("old.txt"))
      .AnswerMessageBox(IDNO)
      .AnswerFileDialog(Path("old.txt"))
      .AnswerMessageBox(IDYES);
  ui.Press('E', FCONTROL)
      .Then([this](HeadlessDialog&) { EXPECT_EQ(ReadFile("old.txt"), "old\r\n"); })
      .Press('E', FCONTROL)
      .Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(ReadFile("old.txt"),
            "http://a.example/\r\nmailto:b@c.example\r\nhttp://a.example/\r\n");
  const auto& box = ui.prompts().MessageBoxes().at(0);
  EXPECT_EQ(box.text, "File exists.\nOverwrite it?");
  EXPECT_EQ(box.caption, "Warning");
  EXPECT_EQ(box.type, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("")), {}), 3)
      << "no stray file beside the export (old.txt, bin, config)";
}

// Files may not grow past a few bytes while the overwrite is answered, so the
// writing fails half-way, as on a full disk.
#ifndef _WIN32
TEST_F(Export, AFailedExportSaysSoAndLeavesTheOldFileWhole) {
  WriteFile("old.txt", "old\r\n");
  AddRows(kRows);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  ui.prompts()
      .AnswerFileDialog(Path("old.txt"))
      .AnswerMessageBox(IDYES,
                        [&saved] {
                          rlimit tiny{8, saved.rlim_max};
                          ::setrlimit(RLIMIT_FSIZE, &tiny);
                        })
      .AnswerMessageBox(IDOK, [&saved] { ::setrlimit(RLIMIT_FSIZE, &saved); });
  ui.Press('E', FCONTROL).Press(VK_ESCAPE);
  RunProgram();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  ASSERT_EQ(ui.prompts().MessageBoxes().size(), 2u);
  EXPECT_EQ(ui.prompts().MessageBoxes()[1].text, "Export failed!");
  EXPECT_EQ(ui.prompts().MessageBoxes()[1].caption, "Warning");
  EXPECT_EQ(ReadFile("old.txt"), "old\r\n");
}

TEST_F(Export, UnprivilegedReadOnlyTargetIsRefusedAndLeftAlone) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes every file";
  WriteFile("old.txt", "old\r\n");
  ASSERT_EQ(::chmod(Path("old.txt").c_str(), 0444), 0);
  AddRows(kRows);
  ui.prompts().AnswerFileDialog(Path("old.txt")).AnswerMessageBox(IDYES).AnswerMessageBox(IDOK);
  ui.Press('E', FCONTROL).Press(VK_ESCAPE);
  RunProgram();
  ASSERT_EQ(ui.prompts().MessageBoxes().size(), 2u);
  EXPECT_EQ(ui.prompts().MessageBoxes()[1].text, "Export failed!");
  EXPECT_EQ(ui.prompts().MessageBoxes()[1].caption, "Warning");
  EXPECT_EQ(ReadFile("old.txt"), "old\r\n");
  struct stat status {};
  ASSERT_EQ(::stat(Path("old.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0444u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("")), {}), 3) << "no stray file";
}
#endif

}  // namespace
}  // namespace korvel::testing
