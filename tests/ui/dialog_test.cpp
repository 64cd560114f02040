// Key routing, message maps and the modal run of a dialog.
#include <gtest/gtest.h>

#include "tests/ui/test_dialog.h"
#include "ui/headless/headless_backend.h"

using namespace korvel;
using namespace korvel::testing;
using korvel::headless::HeadlessBackend;
using korvel::headless::HeadlessDialog;

namespace {

using Events = std::vector<std::string>;

TEST(KeyRouting, EnterGivesOkUnlessTheFocusIsOnAPushButton) {
  HeadlessBackend ui;
  TestApp app;
  ui.Focus(kCombo).Press(VK_RETURN);
  RunTestApp(app, ui);
  EXPECT_EQ(app.dialog.events, (Events{"ok"})) << "closing sends no kill-focus";
  EXPECT_EQ(app.result, IDOK);

  HeadlessBackend ui2;
  TestApp app2;
  ui2.Focus(kButton).Press(VK_RETURN).Focus(kCheck).Press(VK_RETURN);
  RunTestApp(app2, ui2);
  EXPECT_EQ(app2.dialog.events, (Events{"button", "ok"})) << "a check box is no push button";
}

TEST(KeyRouting, EscapeAndTheCloseBoxGiveCancel) {
  HeadlessBackend ui;
  TestApp app;
  ui.Press(VK_ESCAPE);
  RunTestApp(app, ui);
  EXPECT_EQ(app.result, IDCANCEL);

  HeadlessBackend ui2;
  TestApp app2;
  ui2.CloseBox();
  RunTestApp(app2, ui2);
  EXPECT_EQ(app2.dialog.events, (Events{"cancel"}));
  EXPECT_EQ(app2.result, IDCANCEL);
}

TEST(KeyRouting, AcceleratorsNeedExactlyTheirModifiersAndComeFirst) {
  HeadlessBackend ui;
  TestApp app;
  ui.Focus(kCombo)
      .Press('G')
      .Press('G', FCONTROL | FSHIFT)
      .Press('G', FCONTROL)
      .Focus(kList)
      .Press('G', FCONTROL)
      .Press(VK_ESCAPE);
  RunTestApp(app, ui);
  EXPECT_EQ(app.dialog.events, (Events{"command", "killfocus:", "command", "cancel"}));
}

TEST(KeyRouting, FocusStartsOnTheFirstTabStop) {
  HeadlessBackend ui;
  TestApp app;
  ui.Then([](HeadlessDialog& d) { EXPECT_EQ(d.Item(kList), d.LastFocus()); }).Press(VK_ESCAPE);
  RunTestApp(app, ui);
}

TEST(MessageMap, RoutesClicksNotificationsAndDrops) {
  HeadlessBackend ui;
  TestApp app;
  ui.Then([](HeadlessDialog& d) {
      d.List(kList).InsertColumn(0, "A", LVCFMT_LEFT, 10);  // a list without columns holds no row
      d.List(kList).InsertItem(0, "row");
    })
      .Click(kButton)
      .DoubleClickRow(kList, 0)
      .Drop({"/a", "/b"})
      .Menu(kCommand)  // the test dialog has no menu bar
      ;
  EXPECT_THROW(RunTestApp(app, ui), headless::ScriptError);
  EXPECT_EQ(app.dialog.events, (Events{"button", "dblclk:10", "drop:2:/a"}));
  ASSERT_EQ(ui.Failures().size(), 1u);
  EXPECT_NE(ui.Failures()[0].find("no menu item"), std::string::npos);
}

TEST(MessageMap, UnmappedMessagesReachTheDefaultHandling) {
  HeadlessBackend ui;
  TestApp app;
  ui.Then([&](HeadlessDialog&) {
      EXPECT_EQ(app.dialog.SendMessage(WM_COMMAND, MAKEWPARAM(999, 0), 0), 0);
      app.dialog.SendMessage(WM_COMMAND, MAKEWPARAM(kCommand, 1), 0);  // as an accelerator sends it
    }).Press(VK_ESCAPE);
  RunTestApp(app, ui);
  EXPECT_EQ(app.dialog.events, (Events{"command", "cancel"}));
}

}  // namespace
