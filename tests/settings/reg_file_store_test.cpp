#include "platform/reg_file_store.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "test_support.h"

namespace korvel {
namespace {

using testing::ReadAll;
using testing::TempTree;
using testing::WriteAll;

constexpr char kKey[] = "Software\\Tessaly\\Korvel";

class RegFileStoreTest : public ::testing::Test {
 protected:
  TempTree folder;
  std::string path = folder.Path("Tessaly/Korvel.reg");
  RegFileStore store{path};

  void CreateKeys() {
    ASSERT_EQ(store.CreateKey(RegHive::CurrentUser, "Software\\Tessaly"), kRegSuccess);
    ASSERT_EQ(store.CreateKey(RegHive::CurrentUser, kKey), kRegSuccess);
  }
  void Seed(const std::string& text) {
    std::filesystem::create_directories(folder.Path("Tessaly"));
    WriteAll(path, text);
  }
};

TEST_F(RegFileStoreTest, WritesRegedit4ThatReadsBackWithTypes) {
  CreateKeys();
  ASSERT_EQ(WriteRegText(store, RegHive::CurrentUser, kKey, "cboKeywords", "a|b \\\"c\"|"),
            kRegSuccess);
  ASSERT_EQ(WriteRegNumber(store, RegHive::CurrentUser, kKey, "chkLocal", 1), kRegSuccess);
  EXPECT_EQ(ReadAll(path),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tessaly]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tessaly\\Korvel]\r\n"
            "\"cboKeywords\"=\"a|b \\\\\\\"c\\\"|\"\r\n"
            "\"chkLocal\"=dword:00000001\r\n\r\n");

  RegFileStore again(path);
  std::string text;
  std::uint32_t number = 7;
  EXPECT_EQ(ReadRegText(again, RegHive::CurrentUser, kKey, "CBOKEYWORDS", text), kRegSuccess);
  EXPECT_EQ(text, "a|b \\\"c\"|");
  EXPECT_EQ(ReadRegNumber(again, RegHive::CurrentUser, kKey, "chkLocal", number), kRegSuccess);
  EXPECT_EQ(number, 1u);
  // Type rules of the named reads: a number is no text, a text reads as 0.
  EXPECT_NE(ReadRegText(again, RegHive::CurrentUser, kKey, "chkLocal", text), kRegSuccess);
  EXPECT_EQ(ReadRegNumber(again, RegHive::CurrentUser, kKey, "cboKeywords", number), kRegSuccess);
  EXPECT_EQ(number, 0u);
  EXPECT_EQ(ReadRegNumber(again, RegHive::CurrentUser, kKey, "missing", number), kRegFileNotFound);
}

TEST_F(RegFileStoreTest, BytesThatCannotStandInQuotesSurviveAsHex) {
  CreateKeys();
  const std::string tricky("line1\r\nline2\0tail \xE9\x7F", 20);
  const std::string high = "caf\xE9 \xFF";
  std::string long_binary(100, '\x5A');
  ASSERT_EQ(WriteRegText(store, RegHive::CurrentUser, kKey, "tricky", tricky), kRegSuccess);
  ASSERT_EQ(WriteRegText(store, RegHive::CurrentUser, kKey, "high", high), kRegSuccess);
  ASSERT_EQ(store.SetValue(RegHive::CurrentUser, kKey, "blob", kRegBinary, long_binary),
            kRegSuccess);
  const std::string file = ReadAll(path);
  EXPECT_NE(file.find("\"tricky\"=hex(1):6c,69,6e,65,31,0d,0a,"), std::string::npos);
  EXPECT_NE(file.find("\"high\"=\"caf\xE9 \xFF\"\r\n"), std::string::npos);
  EXPECT_NE(file.find(",\\\r\n  5a,"), std::string::npos);  // long lists wrap like regedit's

  RegFileStore again(path);
  std::uint32_t type = 0;
  std::string data;
  ASSERT_EQ(again.QueryValue(RegHive::CurrentUser, kKey, "tricky", type, data), kRegSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(data, tricky);
  ASSERT_EQ(again.QueryValue(RegHive::CurrentUser, kKey, "high", type, data), kRegSuccess);
  EXPECT_EQ(data, high);
  ASSERT_EQ(again.QueryValue(RegHive::CurrentUser, kKey, "blob", type, data), kRegSuccess);
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(data, long_binary);
  // The text read stops at the first NUL.
  std::string text;
  ASSERT_EQ(ReadRegText(again, RegHive::CurrentUser, kKey, "tricky", text), kRegSuccess);
  EXPECT_EQ(text, "line1\r\nline2");
}

TEST_F(RegFileStoreTest, KeepsWhatItDoesNotKnowAndRewritesOnlyTheChangedValue) {
  Seed(
      "\xEF\xBB\xBF"
      "REGEDIT4\n; a comment\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\n\"x\"=hex(2):25,00\n@=\"default\"\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaly\\Korvel]\n\"cboKeywords\"=\"old|\"\n"
      "\"extra\"=hex(b):01,02,\\\n  03,04,05,06,07,08\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Kept]\n");
  // The BOM makes this no REGEDIT4 file: set aside, start empty.
  std::string text;
  EXPECT_NE(ReadRegText(store, RegHive::CurrentUser, kKey, "cboKeywords", text), kRegSuccess);
  EXPECT_TRUE(std::filesystem::exists(path + ".bad"));

  Seed(
      "REGEDIT4\n; a comment\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\n\"x\"=hex(2):25,00\n@=\"default\"\n"
      "[HKEY_CURRENT_USER\\Software\\Tessaly\\Korvel]\n\"cboKeywords\"=\"old|\"\n"
      "\"extra\"=hex(b):01,02,\\\n  03,04,05,06,07,08\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Kept]\n");
  ASSERT_EQ(ReadRegText(store, RegHive::CurrentUser, kKey, "cboKeywords", text), kRegSuccess);
  EXPECT_EQ(text, "old|");
  ASSERT_EQ(ReadRegText(store, RegHive::CurrentUser, "Software\\Other", "x", text), kRegSuccess);
  EXPECT_EQ(text, "%");  // REG_EXPAND_SZ is text, not expanded
  // Software\Tessaly exists as the parent of Korvel, so no section is added.
  CreateKeys();
  ASSERT_EQ(WriteRegText(store, RegHive::CurrentUser, kKey, "cboKeywords", "new|"), kRegSuccess);
  EXPECT_EQ(ReadAll(path),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"x\"=hex(2):25,00\r\n@=\"default\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Tessaly\\Korvel]\r\n\"cboKeywords\"=\"new|\"\r\n"
            "\"extra\"=hex(b):01,02,03,04,05,06,07,08\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Kept]\r\n\r\n");
}

TEST_F(RegFileStoreTest, UnparsableFileIsSetAsideAndReplacedByAFreshOne) {
  const char* bad[] = {"not a registry file\n", "REGEDIT4\n\"orphan\"=\"x\"\n",
                       "REGEDIT4\n[HKEY_CURRENT_USER\\a]\n\"v\"=dword:123456789\n",
                       "REGEDIT4\n[HKEY_CURRENT_USER\\a]\n\"v\"=hex:zz\n",
                       "REGEDIT4\n[HKEY_CURRENT_USER\\a]\n\"v=\"x\"\n"};
  for (const char* text : bad) {
    Seed(text);
    CreateKeys();
    EXPECT_EQ(ReadAll(path + ".bad"), text);
    std::uint32_t number = 5;
    EXPECT_EQ(ReadRegNumber(store, RegHive::CurrentUser, kKey, "chkLocal", number),
              kRegFileNotFound);
    EXPECT_EQ(ReadAll(path).rfind("REGEDIT4\r\n", 0), 0u);
  }
}

TEST_F(RegFileStoreTest, MachineKeysAndMissingKeysAreRefusedWithoutTouchingTheFile) {
  EXPECT_NE(store.CreateKey(RegHive::LocalMachine, kKey), kRegSuccess);
  EXPECT_NE(WriteRegText(store, RegHive::CurrentUser, kKey, "cboKeywords", "a|"), kRegSuccess);
  EXPECT_FALSE(std::filesystem::exists(folder.Path("Tessaly")));
  CreateKeys();
  EXPECT_NE(WriteRegNumber(store, RegHive::LocalMachine, kKey, "chkLocal", 1), kRegSuccess);
  EXPECT_NE(WriteRegNumber(store, RegHive::CurrentUser, "Software\\Nowhere", "chkLocal", 1),
            kRegSuccess);
  EXPECT_EQ(ReadAll(path).find("chkLocal"), std::string::npos);
}

TEST_F(RegFileStoreTest, SavesLeaveNoTemporaryFilesAndAPrivateFile) {
  CreateKeys();
  for (std::uint32_t i = 0; i < 5; ++i)
    ASSERT_EQ(WriteRegNumber(store, RegHive::CurrentUser, kKey, "chkLocal", i), kRegSuccess);
  EXPECT_EQ(folder.List("Tessaly"), std::vector<std::string>{"Korvel.reg"});
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(RegFileStoreTest, DefaultPathFollowsXdgConfigHome) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", folder.Path("cfg").c_str(), 1);
  EXPECT_EQ(DefaultRegFilePath(), folder.Path("cfg/Tessaly/Korvel.reg"));
  RegFileStore from_environment;
  EXPECT_EQ(from_environment.CreateKey(RegHive::CurrentUser, kKey), kRegSuccess);
  EXPECT_TRUE(std::filesystem::exists(folder.Path("cfg/Tessaly/Korvel.reg")));
  ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
  EXPECT_NE(DefaultRegFilePath().rfind("relative", 0), 0u);
  if (old)
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace korvel
