// The settings on the real registry (under Wine in CI): value types, the
// stored bytes, and reading what other programs may have written.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "../settings/test_support.h"
#include "platform/registry_store.h"
#include "settings/settings.h"

namespace korvel {
namespace {

using testing::FakeHistoryBox;
using Items = std::vector<std::string>;

constexpr char kKey[] = "Software\\Tessaly\\Korvel";

class FakeDialog : public SettingsDialog {
 public:
  FakeHistoryBox keywords, extensions;
  int local = -1;  // untouched
  HistoryBox& KeywordHistory() override { return keywords; }
  HistoryBox& ExtensionHistory() override { return extensions; }
  int GetLocalCheck() override { return local; }
  void SetLocalCheck(int state) override { local = state; }
};

struct RawValue {
  DWORD type = REG_NONE;
  std::string bytes;
};

// ASCII text as the registry keeps it: UTF-16, two bytes a character.
std::string Utf16(const std::string& ascii) {
  std::string bytes;
  for (char c : ascii) bytes += {c, '\0'};
  return bytes;
}

// The stored bytes, as the wide query gives them.
std::optional<RawValue> ReadRaw(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tessaly\\Korvel", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return {};
  const std::string narrow(name);
  const std::wstring wide(narrow.begin(), narrow.end());
  RawValue value;
  DWORD size = 0;
  std::optional<RawValue> result;
  if (RegQueryValueExW(key, wide.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.bytes.assign(size, '\0');
    if (RegQueryValueExW(key, wide.c_str(), nullptr, &value.type,
                         reinterpret_cast<BYTE*>(value.bytes.data()), &size) == ERROR_SUCCESS) {
      value.bytes.resize(size);
      result = value;
    }
  }
  RegCloseKey(key);
  return result;
}

void WriteRaw(const char* name, DWORD type, const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

// Each test starts without the program's key and leaves none behind.
class RegistrySettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
};

TEST_F(RegistrySettingsTest, FirstRunCreatesTheKeyAndSavesEmptyTexts) {
  FakeDialog dialog;
  LoadSettings(dialog);
  EXPECT_TRUE(dialog.keywords.items.empty());
  EXPECT_EQ(dialog.local, -1);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);

  dialog.local = 0;
  SaveSettings(dialog);
  const auto keywords = ReadRaw("cboKeywords");
  ASSERT_TRUE(keywords);
  EXPECT_EQ(keywords->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(keywords->bytes, "");
}

TEST_F(RegistrySettingsTest, TextsAreStoredWithoutNulAndTheSwitchAsDword) {
  FakeDialog dialog;
  dialog.keywords.items = {"foo bar", "", "x"};
  dialog.extensions.items = {"txt", "-?"};
  dialog.local = 1;
  SaveSettings(dialog);

  const auto keywords = ReadRaw("cboKeywords");
  const auto extensions = ReadRaw("cboExtensions");
  const auto local = ReadRaw("chkLocal");
  ASSERT_TRUE(keywords && extensions && local);
  EXPECT_EQ(keywords->type, static_cast<DWORD>(REG_SZ));
  // The program passes the text's length, no NUL. RegSetValueExA still counts
  // a NUL that follows the given bytes in memory (Windows NT does, and so does
  // Wine), so one terminator may be stored; nothing else may.
  const auto text_or_terminated = [](const std::string& bytes, const std::string& text) {
    return bytes == Utf16(text) || bytes == Utf16(text) + std::string(2, '\0');
  };
  EXPECT_PRED2(text_or_terminated, keywords->bytes, "foo bar||x|");
  EXPECT_PRED2(text_or_terminated, extensions->bytes, "txt|-?|");
  EXPECT_EQ(local->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(local->bytes, std::string("\x01\x00\x00\x00", 4));

  FakeDialog after;
  LoadSettings(after);
  EXPECT_EQ(after.keywords.items, (Items{"foo bar", "", "x"}));
  EXPECT_EQ(after.extensions.items, (Items{"txt", "-?"}));
  EXPECT_EQ(after.local, 1);
}

TEST_F(RegistrySettingsTest, TextsAreReadUpToTheFirstNul) {
  WriteRaw("cboKeywords", REG_SZ, std::string("a|b|\0c|", 7));
  WriteRaw("cboExtensions", REG_SZ, std::string("htm|\0", 5));  // as other tools write it
  FakeDialog dialog;
  LoadSettings(dialog);
  EXPECT_EQ(dialog.keywords.items, (Items{"a", "b"}));
  EXPECT_EQ(dialog.extensions.items, Items{"htm"});
}

TEST_F(RegistrySettingsTest, ValuesOfAnotherTypeReadAsDefaults) {
  WriteRaw("chkLocal", REG_SZ, "1");
  WriteRaw("cboExtensions", REG_DWORD, std::string("\x01\x00\x00\x00", 4));
  WriteRaw("cboKeywords", REG_EXPAND_SZ, std::string("%TEMP%|\0", 8));
  FakeDialog dialog;
  dialog.local = 1;
  LoadSettings(dialog);
  EXPECT_EQ(dialog.local, 0);
  EXPECT_TRUE(dialog.extensions.items.empty());
  EXPECT_EQ(dialog.keywords.items, Items{"%TEMP%"});  // not expanded
}

TEST_F(RegistrySettingsTest, ReadingAMissingValueFailsAndWritingNeedsTheKey) {
  auto& store = DefaultSettingsStore();
  std::string text = "kept";
  EXPECT_NE(ReadRegText(store, RegHive::CurrentUser, kKey, "cboKeywords", text), kRegSuccess);
  EXPECT_EQ(WriteRegText(store, RegHive::CurrentUser, kKey, "cboKeywords", "a|"), kRegFileNotFound);
  EXPECT_FALSE(ReadRaw("cboKeywords"));

  CreateSettingsKeys(store);
  EXPECT_EQ(ReadRegText(store, RegHive::CurrentUser, kKey, "cboKeywords", text), kRegFileNotFound);
  const std::string big(100000, 'k');
  ASSERT_EQ(WriteRegText(store, RegHive::CurrentUser, kKey, "cboKeywords", big), kRegSuccess);
  ASSERT_EQ(ReadRegText(store, RegHive::CurrentUser, kKey, "cboKeywords", text), kRegSuccess);
  EXPECT_EQ(text, big);
}

}  // namespace
}  // namespace korvel
