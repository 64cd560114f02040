// Rows in the result list: removing one or all, and opening a row's folder.
#include "tests/app/app_scenario.h"

namespace korvel::testing {
namespace {

using ResultList = AppScenario;

const Rows kThree{{"http://a.example/", "/x/a.htm"},
                  {"http://b.example/", "/x/b.htm"},
                  {"http://c.example/", "/x/c.htm"}};

TEST_F(ResultList, RemoveItemDropsTheSelectedRowOnly) {
  AddRows(kThree);
  ui.Press(VK_F11)  // no row selected
      .SelectRow(IDC_RESULTS, 1)
      .Focus(IDC_KEYWORDS)
      .Press(VK_F11)  // F11 from a combo box
      .DoubleClickRow(IDC_RESULTS, 0)
      .DoubleClickRow(IDC_RESULTS, -1)
      .Click(IDC_REMOVE_ITEM)
      .Press(VK_DELETE)  // no key handling on the list
      .Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Main().List(IDC_RESULTS).Table(), (Rows{kThree[2]}));
}

TEST_F(ResultList, CtrlAndShiftSelectSeveralRowsThatF11AndADoubleClickRemove) {
  const Rows five{kThree[0], kThree[1], kThree[2], {"d@x.example", "/x/d"}, {"e@x.example", "/x/e"}};
  AddRows(five);
  ui.SelectRow(IDC_RESULTS, 0)
      .SelectRow(IDC_RESULTS, 2, FCONTROL)
      .SelectRow(IDC_RESULTS, 1, FCONTROL)
      .SelectRow(IDC_RESULTS, 1, FCONTROL)  // a second Ctrl+click unselects
      .Press(VK_F11)
      .Then([&](HeadlessDialog& d) {
        EXPECT_EQ(d.List(IDC_RESULTS).Table(), (Rows{five[1], five[3], five[4]}));
      })
      .SelectRow(IDC_RESULTS, 0)
      .SelectRow(IDC_RESULTS, 1, FSHIFT)
      .DoubleClickRow(IDC_RESULTS, 1)  // a plain click first: only that row
      .SelectRow(IDC_RESULTS, 1, FSHIFT)  // no focused row left: only that row
      .SelectRow(IDC_RESULTS, 0, FSHIFT)
      .Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Main().List(IDC_RESULTS).Table(), (Rows{five[1], five[4]}));
  EXPECT_EQ(Main().List(IDC_RESULTS).Rows().SelectedCount(), 2);
}

TEST_F(ResultList, CtrlCCopiesTheSelectedAddressesAndCtrlShiftCTheirLocationsToo) {
  AddRows(kThree);
  ui.SelectRow(IDC_RESULTS, 2)
      .SelectRow(IDC_RESULTS, 0, FCONTROL)
      .Press('C', FCONTROL)
      .Focus(IDC_KEYWORDS)
      .Press('C', FCONTROL | FSHIFT);  // in a field the key is the field's
  ui.Then([&](HeadlessDialog&) {
      EXPECT_EQ(ui.desktop().Clipboard(), "http://a.example/\nhttp://c.example/\n");
    })
      .Focus(IDC_RESULTS)
      .Press('C', FCONTROL | FSHIFT)
      .Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(ui.desktop().Clipboard(), "http://a.example/\t/x/a.htm\nhttp://c.example/\t/x/c.htm\n");
}

TEST_F(ResultList, RemoveAllAsksEvenWhenTheListIsEmpty) {
  ui.prompts().AnswerMessageBox(IDNO).AnswerMessageBox(IDNO).AnswerMessageBox(IDYES);
  ui.Press(VK_F12);
  AddRows(kThree);
  ui.Focus(IDC_EXTENSIONS).Press(VK_F12);
  ui.Then([](HeadlessDialog& d) { EXPECT_EQ(d.List(IDC_RESULTS).GetItemCount(), 3); })
      .Click(IDC_REMOVE_ALL)
      .Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Main().List(IDC_RESULTS).GetItemCount(), 0);
  ASSERT_EQ(ui.prompts().MessageBoxes().size(), 3u);
  for (const auto& box : ui.prompts().MessageBoxes()) {
    EXPECT_EQ(box.text, "Remove all items?");
    EXPECT_EQ(box.caption, "Question");
    EXPECT_EQ(box.type, MB_YESNO | MB_ICONQUESTION);
  }
}

TEST_F(ResultList, RightDoubleClickExploresAnExistingFolderOnly) {
  const std::string folder = MakeFolder("docs") + "/";
  AddRows({{"http://a.example/", folder + "a.htm"}, {"http://b.example/", Path("gone/b.htm")}});
  ui.RightDoubleClickRow(IDC_RESULTS, -1)
      .RightDoubleClickRow(IDC_RESULTS, 0)
      .RightDoubleClickRow(IDC_RESULTS, 1)
      .Press(VK_ESCAPE);
  RunProgram();
  ASSERT_EQ(ui.desktop().OpenedPaths().size(), 1u);
  EXPECT_EQ(ui.desktop().OpenedPaths()[0].verb, "explore");
  EXPECT_EQ(ui.desktop().OpenedPaths()[0].path, folder);
  EXPECT_EQ(Main().List(IDC_RESULTS).GetItemCount(), 2) << "nothing is removed";
}

TEST_F(ResultList, RightDoubleClickAmongSeveralSelectedExploresTheFocusedRow) {
  const std::string docs = MakeFolder("docs") + "/";
  const std::string more = MakeFolder("more") + "/";
  AddRows({{"http://a.example/", docs + "a.htm"}, {"http://b.example/", more + "b.htm"}});
  ui.SelectRow(IDC_RESULTS, 1)
      .SelectRow(IDC_RESULTS, 0, FSHIFT)
      .Then([](HeadlessDialog& d) { EXPECT_EQ(d.List(IDC_RESULTS).Rows().SelectedCount(), 2); })
      .Then([](HeadlessDialog& d) { SendNotify(&d.List(IDC_RESULTS), NM_RDBLCLK); })
      .Press(VK_ESCAPE);
  RunProgram();
  ASSERT_EQ(ui.desktop().OpenedPaths().size(), 1u);
  EXPECT_EQ(ui.desktop().OpenedPaths()[0].path, docs);
}

TEST_F(ResultList, CellsKeepTheirBytesWhateverTheirLength) {
  const std::string longAddress = "http://a.example/" + std::string(20000, 'x') + "\xE9";
  AddRows({{longAddress, "/x/a"}});
  ui.Press(VK_ESCAPE);
  RunProgram();
  EXPECT_EQ(Main().List(IDC_RESULTS).GetItemText(0, 0), longAddress);
}

}  // namespace
}  // namespace korvel::testing
