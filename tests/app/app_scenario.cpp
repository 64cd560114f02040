#include "tests/app/app_scenario.h"

#include <cstdlib>

#include "app/korvel_main.h"
#include "app/main_app.h"
#include "platform/registry_store.h"
#include "tests/support/files.h"
#include "settings/settings.h"

namespace korvel::testing {
namespace {

constexpr char kProgramKey[] = "Software\\Tessaly\\Korvel";

void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
  ::_putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

void UnsetEnvironment(const char* name) {
#ifdef _WIN32
  ::_putenv_s(name, "");
#else
  ::unsetenv(name);
#endif
}

}  // namespace

void AppScenario::SetUp() {
  tree_.Folder("config");
  tree_.Folder("bin");
  if (const char* home = std::getenv("XDG_CONFIG_HOME")) {
    hadConfigHome_ = true;
    savedConfigHome_ = home;
  }
  SetEnvironment("XDG_CONFIG_HOME", Path("config"));
  // Where the store is the shared registry, every test starts from the same values.
  StoreText("cboKeywords", "");
  StoreText("cboExtensions", "");
  WriteRegNumber(DefaultSettingsStore(), RegHive::CurrentUser, kProgramKey, "chkLocal", 0);
}

void AppScenario::TearDown() {
  if (hadConfigHome_)
    SetEnvironment("XDG_CONFIG_HOME", savedConfigHome_);
  else
    UnsetEnvironment("XDG_CONFIG_HOME");
}

void AppScenario::RunProgram() {
  std::string program = Path("bin/korvel");
  char* argv[] = {program.data(), nullptr};
  CMainApp app;
  PrepareProgram(program.c_str());
  try {
    EXPECT_EQ(RunApplication(app, 1, argv, ui), 0);
  } catch (const headless::ScriptError& error) {
    ADD_FAILURE() << "script error: " << error.what();
  }
  EXPECT_TRUE(ui.Failures().empty());
  EXPECT_EQ(ui.PendingSteps(), 0u) << "the program ended before every step ran";
  EXPECT_EQ(ui.prompts().UnusedAnswers(), 0u) << "a scripted prompt never came";
}

void AppScenario::AddRows(const Rows& rows) {
  ui.Then([rows](HeadlessDialog& d) {
    auto& dialog = dynamic_cast<CMainDlg&>(*d.Wnd());
    for (const auto& row : rows) dialog.AddResultRow(row.at(0), row.at(1));
  });
}

std::string AppScenario::WriteFile(const std::string& name, const std::string& bytes) const {
  return tree_.File(name, bytes);
}

std::string AppScenario::ReadFile(const std::string& name) const {
  return testing::ReadAll(Path(name));
}

std::string AppScenario::MakeFolder(const std::string& name) const {
  tree_.Folder(name);
  return Path(name);
}

std::string AppScenario::StoredText(const std::string& value) const {
  std::string text;
  if (ReadRegText(DefaultSettingsStore(), RegHive::CurrentUser, kProgramKey, value, text) !=
      kRegSuccess)
    return "<missing>";
  return text;
}

void AppScenario::StoreText(const std::string& value, const std::string& text) const {
  CreateSettingsKeys(DefaultSettingsStore());
  WriteRegText(DefaultSettingsStore(), RegHive::CurrentUser, kProgramKey, value, text);
}

}  // namespace korvel::testing
