// Control semantics that every backend shares through the layer.
#include <gtest/gtest.h>

#include "tests/ui/test_dialog.h"
#include "ui/file_dialog.h"
#include "ui/headless/headless_backend.h"

using namespace korvel;
using namespace korvel::testing;
using korvel::headless::HeadlessBackend;
using korvel::headless::HeadlessDialog;

namespace {

// Runs `body` inside a test dialog with its controls bound.
void WithDialog(const std::function<void(TestDialog&)>& body) {
  HeadlessBackend ui;
  TestApp app;
  ui.Then([&](HeadlessDialog&) { body(app.dialog); }).Press(VK_ESCAPE);
  RunTestApp(app, ui);
}

TEST(ComboBox, FindStringExactFoldsOnlyAsciiLettersAndMatchesWholeTexts) {
  WithDialog([](TestDialog& d) {
    CComboBox& c = d.combo;
    c.InsertString(-1, "Foo");
    c.InsertString(-1, "foobar");
    c.InsertString(-1, "\xC9t\xE9");  // Latin-1 "Été"
    c.InsertString(-1, "");
    EXPECT_EQ(c.FindStringExact(-1, "fOO"), 0);
    EXPECT_EQ(c.FindStringExact(-1, "foob"), CB_ERR);
    EXPECT_EQ(c.FindStringExact(-1, "\xE9t\xE9"), CB_ERR) << "no case beyond A-Z";
    EXPECT_EQ(c.FindStringExact(-1, ""), 3);
    EXPECT_EQ(c.FindStringExact(0, "foo"), 0) << "the search wraps round to the start";
  });
}

TEST(ComboBox, InsertSelectAndResetKeepTheEditFieldInStep) {
  WithDialog([](TestDialog& d) {
    CComboBox& c = d.combo;
    EXPECT_EQ(c.InsertString(1, "x"), CB_ERR);
    EXPECT_EQ(c.InsertString(0, "b"), 0);
    EXPECT_EQ(c.InsertString(0, "a"), 0);
    EXPECT_EQ(c.SetCurSel(1), 1);
    EXPECT_EQ(c.GetWindowText(), "b");
    EXPECT_EQ(c.SetCurSel(5), CB_ERR);
    EXPECT_EQ(c.GetWindowText(), "");
    c.SetWindowText("typed");
    c.ResetContent();
    EXPECT_EQ(c.GetCount(), 0);
    EXPECT_EQ(c.GetWindowText(), "");
    EXPECT_EQ(c.GetLBText(0), "");
  });
}

TEST(ListControl, RowsCellsAndTheSingleSelection) {
  WithDialog([](TestDialog& d) {
    CListCtrl& l = d.list;
    l.InsertColumn(0, "A", LVCFMT_LEFT, 10);
    l.InsertColumn(1, "B", LVCFMT_LEFT, 10);
    EXPECT_EQ(l.GetHeaderCtrl()->GetItemCount(), 2);
    EXPECT_EQ(l.InsertItem(5, "r0"), 0) << "past the end appends";
    EXPECT_EQ(l.InsertItem(1, "r1"), 1);
    EXPECT_TRUE(l.SetItemText(1, 1, std::string("a\0b", 3)));
    EXPECT_FALSE(l.SetItemText(1, 2, "no such column"));
    EXPECT_EQ(l.GetItemText(1, 1), std::string("a\0b", 3)) << "cells hold bytes";
    EXPECT_EQ(l.GetNextItem(-1, LVNI_SELECTED), -1);
    l.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    l.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(l.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(l.GetNextItem(1, LVNI_SELECTED), -1);
    l.InsertItem(0, "new first");
    EXPECT_EQ(l.GetNextItem(-1, LVNI_SELECTED), 2) << "the selection moves with its row";
    EXPECT_TRUE(l.DeleteItem(2));
    EXPECT_EQ(l.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_EQ(l.SetExtendedStyle(LVS_EX_GRIDLINES), 0u);
    EXPECT_EQ(l.GetExtendedStyle(), LVS_EX_GRIDLINES);
  });
}

TEST(Binding, DdxControlRefusesAControlOfAnotherKind) {
  struct WrongDialog : TestDialog {
    CComboBox notAList;
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, kList, notAList); }
  };
  HeadlessBackend ui;
  ScopedBackend installed(ui);
  WrongDialog dialog;
  EXPECT_THROW(dialog.DoModal(), std::logic_error);
  EXPECT_EQ(dialog.m_hWnd, nullptr) << "the window is gone after a failed start";
  EXPECT_EQ(ui.Closed().size(), 1u);
}

TEST(Binding, ControlsComeUnboundWhenTheDialogCloses) {
  HeadlessBackend ui;
  TestApp app;
  ui.Press(VK_ESCAPE);
  RunTestApp(app, ui);
  EXPECT_EQ(app.dialog.list.m_hWnd, nullptr);
  EXPECT_THROW(app.dialog.list.GetItemCount(), std::logic_error);
}

TEST(FileDialogs, FilterPairsAndDefaultExtension) {
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(ParseFileFilter("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"),
            (Pairs{{"Text Files (*.txt)", "*.txt"}, {"All Files (*.*)", "*.*"}}));
  EXPECT_EQ(ParseFileFilter("All|*.*"), (Pairs{{"All", "*.*"}}));
  EXPECT_EQ(ApplyDefaultExtension("/d/out", "txt"), "/d/out.txt");
  EXPECT_EQ(ApplyDefaultExtension("/d/out.csv", "txt"), "/d/out.csv");
  EXPECT_EQ(ApplyDefaultExtension("/d.x/out", "txt"), "/d.x/out.txt");
  EXPECT_EQ(ApplyDefaultExtension("/d/out", ""), "/d/out");
}

}  // namespace
