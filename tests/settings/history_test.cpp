#include "settings/history.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace korvel {
namespace {

using testing::FakeHistoryBox;
using Items = std::vector<std::string>;

struct Case {
  std::string typed;
  std::string expected;
};

TEST(NormalizeKeywords, TrimsSortsByBytesAndDropsExactDuplicates) {
  const Case cases[] = {
      {" Foo ,bar,, foo,Bar ", "Bar, Foo, bar, foo"},
      {"a/b:c", "a b c"},  // invalid characters become spaces, inner ones stay
      {"x|y", "x y"},
      {"x\ty,\"q\"", "q, x y"},
      {" , ,, ", ""},
      {"", ""},
      {"ab, a, ab", "a, ab"},                              // a prefix comes first
      {"\xE9t\xE9, zeta, Zeta", "Zeta, zeta, \xE9t\xE9"},  // bytes compare unsigned
      {"last", "last"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeKeywords(c.typed), c.expected) << c.typed;
}

TEST(NormalizeExtensions, LowerCasesKeepsNoExtensionMarkAndDropsInvalidTokens) {
  const Case cases[] = {
      {"TXT, htm,,*.doc, -?, .Log", "-?, .log, htm, txt"},
      {"-?x", ""},
      {" , ,, ", ""},
      {"", ""},
      {"TXT,txt, Txt", "txt"},
      {"-?, -?", "-?"},
      {"a b, c/d", "a b"},
      {"\xC9XE", "\xC9xe"},  // only the ASCII letters have a case
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeExtensions(c.typed), c.expected) << c.typed;
}

TEST(AddToHistory, NewTextGoesToThePositionAndIsSelected) {
  FakeHistoryBox box;
  box.items = {"old"};
  box.field = "new";
  AddToHistory(box, 0);
  EXPECT_EQ(box.items, (Items{"new", "old"}));
  EXPECT_EQ(box.selected, 0);

  box.field = "tail";
  AddToHistory(box, 7);  // beyond the end: appended
  box.field = "tail2";
  AddToHistory(box, -3);
  EXPECT_EQ(box.items, (Items{"new", "old", "tail", "tail2"}));
  EXPECT_EQ(box.selected, 3);
}

TEST(AddToHistory, KnownTextIsSelectedInItsOwnCaseAndNotMoved) {
  FakeHistoryBox box;
  box.items = {"bar", "Foo"};
  box.field = "foo";
  AddToHistory(box, 0);
  EXPECT_EQ(box.items, (Items{"bar", "Foo"}));
  EXPECT_EQ(box.selected, 1);
  EXPECT_EQ(box.field, "Foo");
}

TEST(AddToHistory, EmptyFieldAddsAnEmptyItemOnlyOnce) {
  FakeHistoryBox box;
  box.items = {"a"};
  AddToHistory(box, 0);
  AddToHistory(box, 0);
  EXPECT_EQ(box.items, (Items{"", "a"}));
}

TEST(FillHistory, DecodesEveryEntryFollowedByABar) {
  const struct {
    std::string stored;
    Items items;
  } cases[] = {
      {"a|b|", {"a", "b"}},      {"a|b", {"a", "b"}},    {"|", {""}}, {"", {}},
      {"a||b|", {"a", "", "b"}}, {"b|a|B|", {"b", "a"}},
  };
  for (const auto& c : cases) {
    FakeHistoryBox box;
    FillKeywordHistory(box, c.stored);
    EXPECT_EQ(box.items, c.items) << c.stored;
    EXPECT_EQ(box.selected, c.items.empty() ? -1 : 0) << c.stored;
  }
}

TEST(FillHistory, NormalisesEachEntryWithItsOwnRules) {
  FakeHistoryBox keywords, extensions;
  FillKeywordHistory(keywords, "b ,A|x/y|");
  FillExtensionHistory(extensions, "TXT, *.x|Htm|txt|");
  EXPECT_EQ(keywords.items, (Items{"A, b", "x y"}));
  EXPECT_EQ(extensions.items, (Items{"txt", "htm"}));
  EXPECT_EQ(extensions.field, "txt");
}

}  // namespace
}  // namespace korvel
