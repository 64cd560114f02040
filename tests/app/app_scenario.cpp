#include "tests/app/app_scenario.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "app/korvel_main.h"
#include "app/main_app.h"
#include "platform/registry_store.h"
#include "settings/settings.h"

namespace korvel::apptest {
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
  std::random_device random;
  root_ = std::filesystem::temp_directory_path() /
          ("korvel-app-" + std::to_string(random()) + "-" + std::to_string(random()));
  std::filesystem::create_directories(root_ / "config");
  std::filesystem::create_directories(root_ / "bin");
  if (const char* home = std::getenv("XDG_CONFIG_HOME")) {
    hadConfigHome_ = true;
    savedConfigHome_ = home;
  }
  SetEnvironment("XDG_CONFIG_HOME", (root_ / "config").string());
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
  std::error_code error;
  std::filesystem::remove_all(root_, error);
}

void AppScenario::RunProgram() {
  std::string program = (root_ / "bin" / "korvel").string();
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
  const std::filesystem::path path = root_ / name;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

std::string AppScenario::ReadFile(const std::string& name) const {
  std::ifstream in(root_ / name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string AppScenario::MakeFolder(const std::string& name) const {
  std::filesystem::create_directories(root_ / name);
  return (root_ / name).string();
}

std::string AppScenario::StoredText(const std::string& value) const {
  std::string text;
  if (ReadRegText(DefaultSettingsStore(), RegHive::CurrentUser, kProgramKey, value, text) != kRegSuccess)
    return "<missing>";
  return text;
}

void AppScenario::StoreText(const std::string& value, const std::string& text) const {
  CreateSettingsKeys(DefaultSettingsStore());
  WriteRegText(DefaultSettingsStore(), RegHive::CurrentUser, kProgramKey, value, text);
}

}  // namespace korvel::apptest
