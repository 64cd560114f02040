// The commands: sweeping files and folders (by dialog and by drop), the clear
// buttons, the manual and the about box.
#include "tests/app/app_scenario.h"

namespace korvel::apptest {
namespace {

using Commands = AppScenario;

const std::string kPage = "see http://a.example/one and\nhttp://b.example/two\n";
const Texts kPageAddresses{"http://a.example/one", "http://b.example/two"};

Texts Column(HeadlessDialog& d, int column) {
  Texts texts;
  for (const auto& row : d.List(IDC_RESULTS).Rows()) texts.push_back(row.at(static_cast<std::size_t>(column)));
  return texts;
}

TEST_F(Commands, SweepFileFromTheKeywordFieldListsTheFileAndSounds) {
  const std::string page = WriteFile("site/page.htm", kPage);
  ui.prompts().AnswerFileDialog(page).CancelFileDialog();
  ui.Type(IDC_KEYWORDS, "x").Press(VK_F3).Click(IDC_SWEEP_FILE).Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Column(Main(), 0), kPageAddresses);
  EXPECT_EQ(Column(Main(), 1), (Texts{page, page}));
  const FileDialogRequest& shown = ui.prompts().FileDialogs().at(0).request;
  EXPECT_TRUE(shown.open);
  EXPECT_EQ(shown.filter, "All Files (*.*)|*.*|");
  EXPECT_EQ(shown.fileName, "*.*");
  EXPECT_EQ(shown.defaultExtension, "");
  EXPECT_EQ(shown.flags, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  EXPECT_EQ(ui.desktop().Sounds(), (std::vector<UINT>{MB_ICONASTERISK})) << "none after the cancel";
}

TEST_F(Commands, SweepFolderAddsASeparatorAndEntersTheFieldsInTheHistories) {
  const std::string site = MakeFolder("site");
  WriteFile("site/a.htm", kPage);
  WriteFile("site/sub/b.txt", "http://c.example/three\n");
  // The last pick is an item without a file-system path: no sweep either.
  ui.prompts().AnswerFolderDialog(site).CancelFolderDialog().AnswerFolderDialog("");
  ui.Type(IDC_EXTENSIONS, "HTM").Click(IDC_LOCAL).Press(VK_F4).Click(IDC_SWEEP_FOLDER).Press(VK_F4).Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Column(Main(), 0), kPageAddresses) << "local: the subfolder is not swept";
  EXPECT_EQ(Main().Combo(IDC_EXTENSIONS).Items(), (Texts{"htm"}));
  EXPECT_EQ(Main().Combo(IDC_KEYWORDS).Items(), (Texts{""}));
  const FolderDialogRequest& shown = ui.prompts().FolderDialogs().at(0).request;
  EXPECT_EQ(shown.title, "");
  EXPECT_EQ(shown.initialFolder, "");
  EXPECT_EQ(shown.flags, BIF_RETURNONLYFSDIRS);
  EXPECT_EQ(ui.desktop().Sounds(), (std::vector<UINT>{MB_ICONASTERISK}));
  EXPECT_EQ(ui.desktop().CursorHistory().front(), IDC_WAIT);
  EXPECT_EQ(ui.desktop().GetCursor(), IDC_ARROW) << "the cursor is back";
  EXPECT_EQ(StoredText("cboExtensions"), "htm|");
}

TEST_F(Commands, SweepFolderAndADropAddOneSeparatorAndNoneToAPathEndingInOne) {
  const std::string site = MakeFolder("site");
  WriteFile("site/a.htm", "http://c.example/three\n");
  const std::string page = site + kSeparator + "a.htm";
  ui.prompts().AnswerFolderDialog(site).AnswerFolderDialog(site + kSeparator);
  ui.Press(VK_F4).Press(VK_F4).Drop({site}).Drop({site + kSeparator});
  // A root already ends in its separator (only its own files, none of them ours).
  const std::string root(1, kSeparator);
  ui.prompts().AnswerFolderDialog(root);
  ui.Type(IDC_EXTENSIONS, "no-such-extension").Click(IDC_LOCAL).Press(VK_F4).Drop({root});
  ui.Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Column(Main(), 1), Texts(4, page)) << "one separator between folder and name";
  EXPECT_TRUE(ui.prompts().MessageBoxes().empty()) << "the root was swept as it is";
  EXPECT_EQ(ui.desktop().Sounds().size(), 6u);
}

TEST_F(Commands, ADropSweepsOnlyItsFirstItem) {
  const std::string first = WriteFile("a.htm", kPage);
  const std::string second = WriteFile("b.htm", "http://c.example/three\n");
  const std::string folder = MakeFolder("site");
  WriteFile("site/c.htm", "http://d.example/four\n");
  ui.Drop({first, second}).Drop({folder}).Drop({}).Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Column(Main(), 0), (Texts{"http://a.example/one", "http://b.example/two", "http://d.example/four"}));
  EXPECT_EQ(ui.desktop().Sounds().size(), 2u) << "an empty drop sweeps nothing";
}

TEST_F(Commands, ADroppedFolderWithAnUntidiedKeywordFieldWarnsAndChangesNothing) {
  const std::string folder = MakeFolder("site");
  WriteFile("site/a.htm", kPage);
  StoreText("cboKeywords", "old|");
  ui.prompts().AnswerMessageBox(IDOK);
  ui.Type(IDC_KEYWORDS, "a:b").Drop({folder}).Press(VK_ESCAPE);
  RunProgram();
  const auto& box = ui.prompts().MessageBoxes().at(0);
  EXPECT_EQ(box.text, "The Keywords/Extensions fields contain invalid characters.");
  EXPECT_EQ(box.caption, "Warning");
  EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
  EXPECT_EQ(Main().List(IDC_RESULTS).GetItemCount(), 0);
  EXPECT_EQ(Main().Combo(IDC_KEYWORDS).Items(), (Texts{"old"}));
  EXPECT_TRUE(Main().Combo(IDC_EXTENSIONS).Items().empty());
  EXPECT_EQ(ui.desktop().Sounds(), (std::vector<UINT>{MB_ICONASTERISK})) << "sounds after the warning too";
}

TEST_F(Commands, ClearButtonsEmptyFieldAndHistory) {
  StoreText("cboKeywords", "a|b|");
  StoreText("cboExtensions", "c|");
  ui.Click(IDC_CLEAR_KEYWORDS).Press(VK_ESCAPE);
  RunProgram();
  EXPECT_TRUE(Main().Combo(IDC_KEYWORDS).Items().empty());
  EXPECT_EQ(Main().Combo(IDC_KEYWORDS).GetText(), "");
  EXPECT_EQ(Main().Combo(IDC_EXTENSIONS).Items(), (Texts{"c"}));
  EXPECT_EQ(StoredText("cboKeywords"), "");
}

TEST_F(Commands, TheManualOpensFromTheProgramFolderOrSaysItIsMissing) {
  ui.prompts().AnswerMessageBox(IDOK);
  ui.Press(VK_F1).Then([this](HeadlessDialog&) { WriteFile("bin/Manual.html", "<html>"); }).Menu(ID_HELP_MANUAL).Press(VK_ESCAPE);
  RunProgram();
  const auto& box = ui.prompts().MessageBoxes().at(0);
  EXPECT_EQ(box.text, "No help is available!");
  EXPECT_EQ(box.caption, "Help Is Not Installed");
  EXPECT_EQ(box.type, MB_ICONHAND | MB_OK);
  ASSERT_EQ(ui.desktop().OpenedPaths().size(), 2u);
  EXPECT_EQ(ui.desktop().OpenedPaths()[1].verb, "open");
  EXPECT_EQ(ui.desktop().OpenedPaths()[1].path, ProgramFolder() + kSeparator + "Manual.html");
  EXPECT_TRUE(ui.desktop().OpenedPaths()[1].succeeded);
}

TEST_F(Commands, TheAboutBoxClosesByItsButtonEnterEscapeOrCloseBox) {
  ui.Menu(ID_HELP_ABOUT)
      .Then([](HeadlessDialog& about) {
        EXPECT_EQ(about.Id(), IDD_ABOUTBOX);
        EXPECT_EQ(about.Button(IDOK).GetText(), "Korvel is a &FREEWARE");
        EXPECT_FALSE(about.Parent()->IsEnabled()) << "the main window waits";
      })
      .Click(IDOK)
      .Menu(ID_HELP_ABOUT).Press(VK_RETURN)
      .Menu(ID_HELP_ABOUT).Press(VK_F3).Press(VK_ESCAPE)  // no accelerators while it is up
      .Menu(ID_HELP_ABOUT).CloseBox()
      .Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(ui.Closed().size(), 5u);
  EXPECT_TRUE(ui.prompts().FileDialogs().empty());
}

TEST_F(Commands, EveryCommandOfTheTableRuns) {
  const std::string page = WriteFile("page.htm", kPage);
  const std::string site = MakeFolder("site");
  WriteFile("bin/Manual.html", "<html>");
  ui.prompts()
      .AnswerFileDialog(page)             // F3
      .AnswerFolderDialog(site)           // F4
      .AnswerFileDialog(Path("out.txt"))  // Ctrl+E
      .AnswerMessageBox(IDNO);            // F12
  ui.Press(VK_F3).Press(VK_F4).Press('E', FCONTROL).Press(VK_F1).Menu(ID_HELP_ABOUT).Press(VK_ESCAPE)
      .SelectRow(IDC_RESULTS, 0).Press(VK_F11).Press(VK_F12)
      .Click(IDC_CLEAR_KEYWORDS).Click(IDC_CLEAR_EXTENSIONS)
      .RightDoubleClickRow(IDC_RESULTS, 0).DoubleClickRow(IDC_RESULTS, 0).Focus(IDC_KEYWORDS).Focus(IDC_EXTENSIONS)
      .Press('Q', FCONTROL);
  RunProgram();
  EXPECT_EQ(ReadFile("out.txt"), "http://a.example/one\r\nhttp://b.example/two\r\n");
  EXPECT_EQ(Main().List(IDC_RESULTS).GetItemCount(), 0);
  EXPECT_EQ(ui.desktop().OpenedPaths().size(), 2u);
  EXPECT_EQ(ui.desktop().Sounds().size(), 2u);
}

}  // namespace
}  // namespace korvel::apptest
