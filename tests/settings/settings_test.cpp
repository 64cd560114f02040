#include "settings/settings.h"

#include <gtest/gtest.h>

#include "platform/reg_file_store.h"
#include "test_support.h"

namespace korvel {
namespace {

using testing::FakeHistoryBox;
using testing::ReadAll;
using testing::TempTree;
using testing::WriteAll;
using Items = std::vector<std::string>;

constexpr char kKey[] = "Software\\Tessaly\\Korvel";
constexpr int kUntouched = -1;

class FakeDialog : public SettingsDialog {
 public:
  FakeHistoryBox keywords, extensions;
  int local = kUntouched;
  HistoryBox& KeywordHistory() override { return keywords; }
  HistoryBox& ExtensionHistory() override { return extensions; }
  int GetLocalCheck() override { return local; }
  void SetLocalCheck(int state) override { local = state; }
};

class SettingsTest : public ::testing::Test {
 protected:
  TempTree folder;
  std::string path = folder.Path("Korvel.reg");
  RegFileStore store{path};
};

TEST_F(SettingsTest, FirstRunLeavesDefaultsAndStoresEmptyValues) {
  FakeDialog dialog;
  LoadSettings(dialog, store);
  EXPECT_TRUE(dialog.keywords.items.empty());
  EXPECT_TRUE(dialog.extensions.items.empty());
  EXPECT_EQ(dialog.local, kUntouched);

  dialog.local = 0;
  SaveSettings(dialog, store);
  const std::string file = ReadAll(path);
  EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Tessaly\\Korvel]\r\n"
                      "\"cboKeywords\"=\"\"\r\n\"cboExtensions\"=\"\"\r\n"
                      "\"chkLocal\"=dword:00000000\r\n"),
            std::string::npos);
  EXPECT_EQ(file.find("HKEY_LOCAL_MACHINE"), std::string::npos);
}

TEST_F(SettingsTest, HistoriesAndSwitchSurviveARestart) {
  FakeDialog before;
  before.keywords.items = {"Foo, bar", "", "x"};
  before.extensions.items = {"txt"};
  before.extensions.field = "typed but never added";
  before.local = 1;
  SaveSettings(before, store);
  std::string text;
  ASSERT_EQ(ReadRegText(store, RegHive::CurrentUser, kKey, "cboKeywords", text), kRegSuccess);
  EXPECT_EQ(text, "Foo, bar||x|");

  FakeDialog after;
  LoadSettings(after, store);
  EXPECT_EQ(after.keywords.items, before.keywords.items);
  EXPECT_EQ(after.keywords.field, "Foo, bar");
  EXPECT_EQ(after.extensions.items, (Items{"txt"}));
  EXPECT_EQ(after.local, 1);
}

TEST_F(SettingsTest, ValuesOfTheWrongTypeReadAsDefaults) {
  WriteAll(path,
           "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Tessaly\\Korvel]\n"
           "\"cboKeywords\"=\"k|\"\n\"cboExtensions\"=dword:00000001\n\"chkLocal\"=\"1\"\n");
  FakeDialog dialog;
  dialog.local = 1;
  LoadSettings(dialog, store);
  EXPECT_EQ(dialog.keywords.items, (Items{"k"}));
  EXPECT_TRUE(dialog.extensions.items.empty());
  EXPECT_EQ(dialog.local, 0);
}

TEST_F(SettingsTest, StoredNumbersOtherThanZeroOrOneCountAsChecked) {
  FakeDialog dialog;
  SaveSettings(dialog, store);  // creates the keys
  ASSERT_EQ(WriteRegNumber(store, RegHive::CurrentUser, kKey, "chkLocal", 0x80000000u),
            kRegSuccess);
  LoadSettings(dialog, store);
  EXPECT_EQ(dialog.local, 1);
}

}  // namespace
}  // namespace korvel
