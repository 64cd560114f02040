// The commands: sweeping files and folders (by dialog and by drop), the clear
// buttons, the manual and the about box.
#include "app/sweep_engine.h"
#include "tests/app/app_scenario.h"

namespace korvel::testing {
namespace {

using Commands = AppScenario;

const std::string kPage = "see http://a.example/one and\nhttp://b.example/two\n";
const Texts kPageAddresses{"http://a.example/one", "http://b.example/two"};

Texts Column(HeadlessDialog& d, int column) {
  Texts texts;
  for (const auto& row : d.List(IDC_RESULTS).Table())
    texts.push_back(row.at(static_cast<std::size_t>(column)));
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
  ui.Type(IDC_EXTENSIONS, "HTM")
      .Click(IDC_LOCAL)
      .Press(VK_F4)
      .Click(IDC_SWEEP_FOLDER)
      .Press(VK_F4)
      .Press(VK_ESCAPE);
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
  EXPECT_EQ(Column(Main(), 0),
            (Texts{"http://a.example/one", "http://b.example/two", "http://d.example/four"}));
  EXPECT_EQ(ui.desktop().Sounds().size(), 2u) << "an empty drop sweeps nothing";
}

// Off Windows a backslash is part of a name: a folder named "k\" is swept
// as "k\/", not as a prefix of its siblings' names.
TEST_F(Commands, AFolderWhoseNameEndsInABackslashIsSweptItself) {
  if (kSeparator == '\\') GTEST_SKIP() << "a backslash separates paths on Windows";
  const std::string folder = MakeFolder("k\\");
  const std::string own = WriteFile("k\\/a.htm", kPage);
  WriteFile("k\\a.htm", "http://sibling.example/\n");
  ui.prompts().AnswerFolderDialog(folder);
  ui.Click(IDC_SWEEP_FOLDER).Drop({folder}).Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Column(Main(), 0),
            (Texts{kPageAddresses[0], kPageAddresses[1], kPageAddresses[0], kPageAddresses[1]}));
  EXPECT_EQ(Column(Main(), 1), (Texts{own, own, own, own}));
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
  EXPECT_EQ(ui.desktop().Sounds(), (std::vector<UINT>{MB_ICONASTERISK}))
      << "sounds after the warning too";
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
  ui.Press(VK_F1)
      .Then([this](HeadlessDialog&) { WriteFile("bin/Manual.html", "<html>"); })
      .Menu(ID_HELP_MANUAL)
      .Press(VK_ESCAPE);
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
      .Menu(ID_HELP_ABOUT)
      .Press(VK_RETURN)
      .Menu(ID_HELP_ABOUT)
      .Press(VK_F3)
      .Press(VK_ESCAPE)  // no accelerators while it is up
      .Menu(ID_HELP_ABOUT)
      .CloseBox()
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
  ui.Press(VK_F3)
      .Press(VK_F4)
      .Press('E', FCONTROL)
      .Press(VK_F1)
      .Menu(ID_HELP_ABOUT)
      .Press(VK_ESCAPE)
      .SelectRow(IDC_RESULTS, 0)
      .Press(VK_F11)
      .Press(VK_F12)
      .Click(IDC_CLEAR_KEYWORDS)
      .Click(IDC_CLEAR_EXTENSIONS)
      .RightDoubleClickRow(IDC_RESULTS, 0)
      .DoubleClickRow(IDC_RESULTS, 0)
      .Focus(IDC_KEYWORDS)
      .Focus(IDC_EXTENSIONS)
      .Press('Q', FCONTROL);
  RunProgram();
  EXPECT_EQ(ReadFile("out.txt"), "http://a.example/one\r\nhttp://b.example/two\r\n");
  EXPECT_EQ(Main().List(IDC_RESULTS).GetItemCount(), 0);
  EXPECT_EQ(ui.desktop().OpenedPaths().size(), 2u);
  EXPECT_EQ(ui.desktop().Sounds().size(), 2u);
}

// --- Long sweeps: the progress box, Cancel and closing, on an engine the script drives ---

// Hands files to the window's sink when a step says so; finished when told.
class ScriptedEngine {
 public:
  struct Sweep final : WindowSweep {
    explicit Sweep(ScriptedEngine& e) : engine(e) {}
    void Start() override { ++engine.starts; }
    void Cancel() override { engine.cancelled = engine.progress.finished = true; }
    void Wait() override {}
    SweepCounters Counters() const override { return engine.progress; }
    std::string CurrentFile() const override { return "/now/being/read.txt"; }
    ScriptedEngine& engine;
  };

  void File(const std::string& location, const Texts& addresses) {
    for (const std::string& address : addresses) sink->AddResultRow(address, location);
    sink->FileSwept(location);
    ++progress.files_swept;
    progress.rows += addresses.size();
  }

  RowSink* sink = nullptr;
  std::vector<SweepInput> inputs;
  SweepCounters progress{.files_found = 3};
  int starts = 0;
  bool cancelled = false;
};

class LongSweep : public AppScenario {
 protected:
  void SetUp() override {
    AppScenario::SetUp();
    previous_ = SetWindowSweepFactory([this](std::vector<SweepInput> inputs, RowSink& sink) {
      engine.inputs = std::move(inputs);
      engine.sink = &sink;
      return std::make_unique<ScriptedEngine::Sweep>(engine);
    });
  }
  void TearDown() override {
    SetWindowSweepFactory(std::move(previous_));
    AppScenario::TearDown();
  }
  static HeadlessDialog& MainOf(HeadlessDialog& box) {
    return *dynamic_cast<HeadlessDialog*>(box.Parent());
  }

  ScriptedEngine engine;

 private:
  WindowSweepFactory previous_;
};

TEST_F(LongSweep, TheBoxShowsAfter400msTakesNoCommandAndCancelKeepsTheRowsAndTheHistories) {
  const std::string folder = MakeFolder("site");
  const std::string other = WriteFile("other.htm", kPage);
  ui.Type(IDC_KEYWORDS, "Key")
      .Drop({folder})
      .Meanwhile([&](HeadlessDialog& box) {
        EXPECT_EQ(box.Id(), IDD_SWEEP_PROGRESS);
        EXPECT_FALSE(box.IsVisible());
        EXPECT_FALSE(MainOf(box).IsEnabled());
        // Input to the waiting window goes nowhere, now and after the sweep.
        HeadlessDialog& main = MainOf(box);
        EXPECT_TRUE(RouteKeyDown(main.Item(IDC_KEYWORDS), VK_ESCAPE, 0));
        SendClicked(main.Item(IDC_REMOVE_ALL));
        SendMenuCommand(&main, ID_SWEEP_FILE);
        SendDropFiles(&main, {other});
        engine.File("/site/a.htm", {"http://a.example/", "http://b.example/"});
      })
      .Wait(300)
      .Meanwhile([&](HeadlessDialog& box) {
        EXPECT_FALSE(box.WasShown());
        EXPECT_EQ(MainOf(box).List(IDC_RESULTS).GetItemCount(), 2) << "the list grows meanwhile";
      })
      .Wait(100)
      .Then([&](HeadlessDialog& box) {
        EXPECT_TRUE(box.IsVisible());
        EXPECT_EQ(box.GetText(), "Sweep in progress");
        EXPECT_EQ(box.Item(IDC_SWEEP_TARGET)->GetText(), folder + kSeparator);
        EXPECT_EQ(box.Item(IDC_SWEEP_FILES)->GetText(), "Files: 1 of 3");
        EXPECT_EQ(box.Item(IDC_SWEEP_ADDRESSES)->GetText(), "Addresses: 2");
        EXPECT_EQ(box.Item(IDC_SWEEP_CURRENT)->GetText(), "/now/being/read.txt");
        EXPECT_TRUE(box.Progress(IDC_SWEEP_PROGRESS).IsMarquee()) << "busy while the walk runs";
        EXPECT_EQ(ui.Focused(), box.Item(IDCANCEL));
        engine.File("/site/b.htm", {"http://c.example/"});
        engine.progress.walk_done = true;
        engine.progress.bytes_found = 400;  // sizes come only as files are read: not the measure
        engine.progress.bytes_read = 100;
      })
      .Wait(50)
      .Then([&](HeadlessDialog& box) {
        EXPECT_FALSE(box.Progress(IDC_SWEEP_PROGRESS).IsMarquee());
        EXPECT_EQ(box.Progress(IDC_SWEEP_PROGRESS).GetPos(), 2 * 1000 / 3) << "2 of 3 files";
      })
      .Press(VK_F12)
      .Press(VK_F3)  // the main window's keys do nothing in the box
      .Press(VK_ESCAPE)
      .Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(engine.starts, 1);
  ASSERT_EQ(engine.inputs.size(), 1u);
  EXPECT_EQ(engine.inputs[0].kind, SweepInput::Kind::Folder);
  EXPECT_EQ(engine.inputs[0].options.keywords, "Key");
  EXPECT_TRUE(engine.cancelled);
  EXPECT_EQ(ui.LastClosed(IDD_SWEEP_PROGRESS).ShownAt(), 400);
  EXPECT_EQ(Column(Main(), 0),
            (Texts{"http://a.example/", "http://b.example/", "http://c.example/"}));
  EXPECT_EQ(Main().Combo(IDC_KEYWORDS).Items(), (Texts{"Key"}))
      << "a cancelled sweep enters its fields too";
  EXPECT_EQ(ui.desktop().Sounds(), (std::vector<UINT>{MB_ICONASTERISK}));
  EXPECT_EQ(ui.desktop().GetCursor(), IDC_ARROW);
  EXPECT_TRUE(ui.prompts().FileDialogs().empty());
}

TEST_F(LongSweep, ASweepThatEndsWithin400msShowsNoBox) {
  const std::string page = WriteFile("page.htm", kPage);
  ui.Drop({page})
      .Meanwhile([&](HeadlessDialog&) { engine.File(page, kPageAddresses); })
      .Wait(350)
      .Meanwhile([&](HeadlessDialog&) { engine.progress.finished = true; })
      .Wait(100)
      .Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(engine.inputs.at(0).kind, SweepInput::Kind::File);
  EXPECT_FALSE(ui.LastClosed(IDD_SWEEP_PROGRESS).WasShown());
  EXPECT_FALSE(engine.cancelled);
  EXPECT_EQ(Column(Main(), 0), kPageAddresses);
  EXPECT_EQ(ui.desktop().Sounds().size(), 1u);
}

TEST_F(LongSweep, ClosingTheWindowOrCtrlQDuringASweepCancelsItThenSavesTheSettings) {
  const std::string folder = MakeFolder("site");
  ui.Type(IDC_EXTENSIONS, "htm").Drop({folder}).Wait(500).Then([this](HeadlessDialog& box) {
    SendClose(box.Parent());  // the desktop closes the waiting window
    EXPECT_EQ(StoredText("cboExtensions"), "htm|")
        << "saved before the message returns: a logout ends the program then";
  });
  RunProgram();
  EXPECT_TRUE(engine.cancelled);
  EXPECT_EQ(StoredText("cboExtensions"), "htm|");
  EXPECT_TRUE(ui.desktop().Sounds().empty()) << "the program ends instead";

  // Ctrl+Q in the box, the main window's Exit key, does the same.
  engine = ScriptedEngine{};
  ui.Type(IDC_KEYWORDS, "again").Drop({folder}).Wait(500).Press('Q', FCONTROL);
  RunProgram();
  EXPECT_TRUE(engine.cancelled);
  EXPECT_EQ(StoredText("cboKeywords"), "again||") << "above the empty text of the first run";
}

}  // namespace
}  // namespace korvel::testing
