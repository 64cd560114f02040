// The headless backend never hangs and never lets an unforeseen prompt pass.
#include <gtest/gtest.h>

#include "tests/ui/test_dialog.h"
#include "ui/headless/headless_backend.h"

using namespace korvel;
using namespace korvel::testing;
using korvel::headless::HeadlessBackend;
using korvel::headless::HeadlessDialog;
using korvel::headless::ScriptError;

namespace {

TEST(HeadlessLoop, RunningOutOfStepsEndsTheRunWithAFailure) {
  HeadlessBackend ui;
  TestApp app;
  ui.Click(kButton);
  EXPECT_THROW(RunTestApp(app, ui), ScriptError);
  ASSERT_EQ(ui.Failures().size(), 1u);
  EXPECT_NE(ui.Failures()[0].find("still open"), std::string::npos);
  EXPECT_EQ(app.dialog.m_hWnd, nullptr);
}

TEST(HeadlessLoop, ANestedDialogTakesTheStepsAfterTheOneThatOpenedIt) {
  HeadlessBackend ui;
  TestApp app;
  INT_PTR nested = 0;
  ui.Then([&](HeadlessDialog&) {
      TestDialog inner;
      nested = inner.DoModal();
      EXPECT_EQ(inner.events, (std::vector<std::string>{"ok"}));
    })
      .Then([](HeadlessDialog& d) { EXPECT_EQ(d.Id(), kTestTemplate.id); })
      .Press(VK_RETURN)   // to the inner dialog
      .Press(VK_ESCAPE);  // to the outer one
  RunTestApp(app, ui);
  EXPECT_EQ(nested, IDOK);
  EXPECT_EQ(app.dialog.events, (std::vector<std::string>{"cancel"}));
  EXPECT_EQ(ui.Closed().size(), 2u);
}

TEST(HeadlessPrompts, AnUnforeseenPromptFailsTheRun) {
  HeadlessBackend ui;
  TestApp app;
  ui.Then([&](HeadlessDialog&) { app.dialog.MessageBox("Sure?", "Question", MB_YESNO); });
  EXPECT_THROW(RunTestApp(app, ui), ScriptError);
  ASSERT_EQ(ui.Failures().size(), 1u);
  EXPECT_NE(ui.Failures()[0].find("Sure?"), std::string::npos);
}

TEST(HeadlessPrompts, AnswersMustBeButtonsThePromptHas) {
  HeadlessBackend ui;
  TestApp app;
  ui.prompts().AnswerMessageBox(IDYES).AnswerMessageBox(IDOK);
  ui.Then([&](HeadlessDialog&) {
    EXPECT_EQ(app.dialog.MessageBox("a", "b", MB_YESNO | MB_ICONQUESTION), IDYES);
    app.dialog.MessageBox("c", "d", MB_YESNO);
  });
  EXPECT_THROW(RunTestApp(app, ui), ScriptError);
  ASSERT_EQ(ui.prompts().MessageBoxes().size(), 2u);
  EXPECT_EQ(ui.prompts().MessageBoxes()[0].type, MB_YESNO | MB_ICONQUESTION);
}

TEST(HeadlessPrompts, APromptTakesTheFocusFromAComboBoxAndGivesItBack) {
  HeadlessBackend ui;
  TestApp app;
  ui.prompts().AnswerMessageBox(IDOK);
  ui.Type(kCombo, "typed")
      .Then([&](HeadlessDialog& d) {
        app.dialog.MessageBox("note", "Info", MB_OK);
        EXPECT_EQ(ui.Focused(), d.Item(kCombo));
      })
      .Press(VK_ESCAPE);
  RunTestApp(app, ui);
  EXPECT_EQ(app.dialog.events, (std::vector<std::string>{"killfocus:typed", "cancel"}));
}

TEST(HeadlessPrompts, ASaveDialogAddsItsDefaultExtension) {
  headless::ScriptedPrompts prompts;
  prompts.AnswerFileDialog("/tmp/out").CancelFileDialog();
  FileDialogRequest save;
  save.open = false;
  save.defaultExtension = "txt";
  EXPECT_EQ(prompts.ChooseFile(save), std::optional<std::string>("/tmp/out.txt"));
  EXPECT_EQ(prompts.ChooseFile(save), std::nullopt);
  EXPECT_EQ(prompts.UnusedAnswers(), 0u);
}

}  // namespace
