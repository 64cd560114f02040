// Start-up, the main window's set-up, and every way of closing it.
#include "korvel_version.h"
#include "res/templates.h"
#include "tests/app/app_scenario.h"

namespace korvel::testing {
namespace {

using MainDialog = AppScenario;

TEST_F(MainDialog, StartsWithIconsColumnsStylesAndTooltipsInPlace) {
  ui.Then([](HeadlessDialog& d) {
      EXPECT_EQ(d.GetText(), "Korvel v" KORVEL_VERSION);
      EXPECT_EQ(d.LastFocus(), d.Item(IDC_RESULTS)) << "the focus starts on the list";
    }).Press(VK_ESCAPE);
  RunProgram();
  HeadlessDialog& d = Main();
  EXPECT_EQ(d.BigIcon(), FindIcon(IDR_MAINFRAME));
  EXPECT_EQ(d.SmallIcon(), FindIcon(IDR_MAINFRAME));
  EXPECT_EQ(d.Button(IDC_SWEEP_FILE).Icon(), FindIcon(131));
  EXPECT_EQ(d.Button(IDC_SWEEP_FOLDER).Icon(), FindIcon(132));
  EXPECT_EQ(d.Button(IDC_REMOVE_ITEM).Icon(), FindIcon(134));
  EXPECT_EQ(d.Button(IDC_REMOVE_ALL).Icon(), FindIcon(133));
  EXPECT_EQ(d.Button(IDC_EXIT).Icon(), FindIcon(130));

  headless::HeadlessList& list = d.List(IDC_RESULTS);
  EXPECT_EQ(list.GetExtendedStyle(), 0x421u);
  ASSERT_EQ(list.Columns().size(), 2u);
  EXPECT_EQ(list.Columns()[0].heading, "Address");
  EXPECT_EQ(list.Columns()[0].width, 225);
  EXPECT_EQ(list.Columns()[1].heading, "Location");
  EXPECT_EQ(list.Columns()[1].width, 340);

  const headless::HeadlessToolTip& tips = d.ToolTip();
  EXPECT_TRUE(tips.Active());
  std::vector<std::pair<int, std::string>> shown;
  for (const auto& tool : tips.Tools()) shown.emplace_back(tool.control, tool.text);
  EXPECT_EQ(shown, (std::vector<std::pair<int, std::string>>{{1012, "Sweep File (F3)"},
                                                             {1013, "Sweep Folder (F4)"},
                                                             {1008, "Remove Item (F11)"},
                                                             {1011, "Remove All (F12)"},
                                                             {1014, "Exit (Ctrl+Q or Escape)"},
                                                             {1015, "Clear Keywords"},
                                                             {1016, "Clear Extensions"}}));
  EXPECT_GT(tips.Relayed(), 0) << "key messages are relayed to the tooltips";
}

TEST_F(MainDialog, EveryWayOfClosingSavesTheSettings) {
  const std::vector<std::function<void(headless::HeadlessBackend&)>> closers{
      [](auto& b) { b.Press(VK_ESCAPE); },     [](auto& b) { b.CloseBox(); },
      [](auto& b) { b.Press('Q', FCONTROL); }, [](auto& b) { b.Menu(ID_FILE_EXIT); },
      [](auto& b) { b.Click(IDC_EXIT); },      [](auto& b) { b.Press(VK_RETURN); }};
  for (std::size_t i = 0; i < closers.size(); ++i) {
    StoreText("cboKeywords", "");
    ui.Type(IDC_KEYWORDS, "k").Focus(IDC_RESULTS).Then([](HeadlessDialog& d) {
      d.Combo(IDC_KEYWORDS).InsertItem(-1, "saved");
    });
    closers[i](ui);
    RunProgram();
    EXPECT_EQ(StoredText("cboKeywords"), "saved|") << "closer " << i;
  }
}

TEST_F(MainDialog, EnterInTheKeywordFieldSavesAndClosesWithoutTidyingIt) {
  StoreText("cboKeywords", "old|");
  ui.Type(IDC_KEYWORDS, "b:a").Press(VK_RETURN);
  RunProgram();
  EXPECT_EQ(Main().Combo(IDC_KEYWORDS).GetText(), "b:a");
  EXPECT_EQ(StoredText("cboKeywords"), "old|") << "typed text is no history entry";
}

TEST_F(MainDialog, LeavingAFieldTidiesItsText) {
  ui.Type(IDC_KEYWORDS, " Foo ,bar,, foo,Bar ")
      .Type(IDC_EXTENSIONS, "TXT, htm,,*.doc, -?, .Log")
      .Focus(IDC_RESULTS)
      .Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Main().Combo(IDC_KEYWORDS).GetText(), "Bar, Foo, bar, foo");
  EXPECT_EQ(Main().Combo(IDC_EXTENSIONS).GetText(), "-?, .log, htm, txt");
}

TEST_F(MainDialog, HistoriesAndTheLocalSwitchSurviveARestart) {
  StoreText("cboKeywords", "b|a|B|");
  ui.Click(IDC_LOCAL).Click(IDC_CLEAR_EXTENSIONS).Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Main().Combo(IDC_KEYWORDS).Items(), (Texts{"b", "a"}));
  EXPECT_EQ(StoredText("cboKeywords"), "b|a|");
  EXPECT_EQ(StoredText("cboExtensions"), "") << "a cleared history is stored empty";

  ui.Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Main().Combo(IDC_KEYWORDS).GetText(), "b");
  EXPECT_EQ(Main().Button(IDC_LOCAL).GetCheck(), 1);
}

}  // namespace
}  // namespace korvel::testing
