#pragma once
// Runs the whole program on the headless backend in a temporary folder that
// holds its settings file, its "installation" folder and the test's files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_dlg.h"
#include "res/resource.h"
#include "tests/support/temp_tree.h"
#include "ui/headless/headless_backend.h"

namespace korvel::testing {

using headless::HeadlessDialog;
using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;

class AppScenario : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the program and runs the queued steps until it ends.
  void RunProgram();
  // The main dialog as it was when it closed.
  HeadlessDialog& Main() { return ui.LastClosed(IDD_KORVEL_DIALOG); }
  // A step that adds result rows as a sweep would.
  void AddRows(const Rows& rows);

  std::string Path(const std::string& name) const { return tree_.Path(name); }
  std::string WriteFile(const std::string& name, const std::string& bytes) const;
  std::string ReadFile(const std::string& name) const;
  std::string MakeFolder(const std::string& name) const;
  std::string ProgramFolder() const { return Path("bin"); }
  static constexpr char kSeparator = testing::kSeparator;

  // A value of the stored settings; "<missing>" when there is none.
  std::string StoredText(const std::string& value) const;
  void StoreText(const std::string& value, const std::string& text) const;

  headless::HeadlessBackend ui;

 private:
  testing::TempTree tree_;
  std::string savedConfigHome_;
  bool hadConfigHome_ = false;
};

}  // namespace korvel::testing
