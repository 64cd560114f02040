// The row store every list backend shows: groups, filter, sort, selection.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/list_rows.h"

namespace korvel {
namespace {

using Texts = std::vector<std::string>;

// Rows of one file: the packed first cells and views into them.
void AddFile(ListRows& rows, const Texts& addresses, const std::string& location) {
  std::string packed;
  for (const std::string& a : addresses) packed += a;
  std::vector<std::string_view> views;
  std::size_t at = 0;
  for (const std::string& a : addresses) {
    views.push_back(std::string_view(packed).substr(at, a.size()));
    at += a.size();
  }
  rows.AppendGroup(packed, views, location);
}

Texts Column(const ListRows& rows, int column) {
  Texts texts;
  for (int row = 0; row < rows.Count(); ++row) texts.emplace_back(rows.Cell(row, column));
  return texts;
}

class ListRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rows.InsertColumn(0, "Address");
    rows.InsertColumn(1, "Location");
    AddFile(rows, {"http://b.example/", "mailto:Zed@x.org", "http://A.example/"}, "/d/one.htm");
    AddFile(rows, {"http://a.example/"}, "/d/two.htm");
  }
  ListRows rows;
};

TEST_F(ListRowsTest, FileGroupsKeepTheirBytesAndLocation) {
  EXPECT_EQ(Column(rows, 0), (Texts{"http://b.example/", "mailto:Zed@x.org", "http://A.example/",
                                    "http://a.example/"}));
  EXPECT_EQ(Column(rows, 1), (Texts{"/d/one.htm", "/d/one.htm", "/d/one.htm", "/d/two.htm"}));
  AddFile(rows, {}, "/d/empty.htm");
  EXPECT_EQ(rows.Count(), 4);
}

TEST_F(ListRowsTest, FilterMatchesEitherColumnInAnyAsciiCaseAndFollowsNewRows) {
  rows.SetFilter("A.EX");
  EXPECT_EQ(Column(rows, 0), (Texts{"http://A.example/", "http://a.example/"}));
  rows.SetFilter("A.EXz");  // narrowing
  EXPECT_EQ(rows.Count(), 0);
  rows.SetFilter("two");
  EXPECT_EQ(Column(rows, 0), (Texts{"http://a.example/"}));
  AddFile(rows, {"news:x", "ftp://y/"}, "/d/two-more.htm");
  EXPECT_EQ(Column(rows, 0), (Texts{"http://a.example/", "news:x", "ftp://y/"}));
  rows.SetFilter("");
  EXPECT_EQ(rows.Count(), 6);
  EXPECT_EQ(rows.TotalCount(), 6);
}

TEST_F(ListRowsTest, SortIsStableReversesAndReturnsToTheFoundOrder) {
  rows.SortBy(0, SortOrder::Ascending);
  // A and a are equal for the sort: found order between them.
  EXPECT_EQ(Column(rows, 0), (Texts{"http://A.example/", "http://a.example/", "http://b.example/",
                                    "mailto:Zed@x.org"}));
  AddFile(rows, {"http://a.example/"}, "/d/three.htm");  // joins after its equals
  EXPECT_EQ(rows.Cell(2, 1), "/d/three.htm");
  rows.SortBy(1, SortOrder::Descending);
  EXPECT_EQ(Column(rows, 1)[0], "/d/two.htm");
  rows.SetFilter("one");
  EXPECT_EQ(Column(rows, 0), (Texts{"http://b.example/", "mailto:Zed@x.org", "http://A.example/"}));
  rows.SetFilter("");
  rows.SortBy(1, SortOrder::Found);
  EXPECT_EQ(Column(rows, 1).back(), "/d/three.htm");
}

TEST_F(ListRowsTest, SelectionFollowsRowsThroughFilterAndRemoval) {
  rows.SetFilter("example");
  ASSERT_EQ(rows.Count(), 3);
  rows.SelectFromView(1, 2, true);
  rows.FocusFromView(2);
  EXPECT_EQ(rows.NextSelected(-1), 1);
  EXPECT_EQ(rows.Focused(), 2);
  // Removal while filtered takes the selected rows shown, nothing hidden.
  EXPECT_EQ(rows.RemoveSelected(), 2);
  EXPECT_EQ(Column(rows, 0), (Texts{"http://b.example/"}));
  EXPECT_EQ(rows.SelectedCount(), 0);
  EXPECT_EQ(rows.Focused(), -1);
  rows.SetFilter("");
  EXPECT_EQ(Column(rows, 0), (Texts{"http://b.example/", "mailto:Zed@x.org"}));
  // A filter hides the selected row: it is no longer selected.
  rows.SelectOnly(1);
  rows.SetFilter("b.ex");
  rows.SetFilter("");
  EXPECT_EQ(rows.SelectedCount(), 0);
  EXPECT_TRUE(rows.Remove(0));
  rows.Clear();
  EXPECT_EQ(rows.Count(), 0);
}

TEST_F(ListRowsTest, AMillionRowsFilterSortAndCompactAfterRemoval) {
  rows.Clear();
  std::string packed;
  std::vector<std::string_view> views;
  for (int file = 0; file < 125000; ++file) {
    Texts addresses;
    for (int i = 0; i < 8; ++i)
      addresses.push_back("http://h" + std::to_string(file * 8 + i) + ".example/page");
    AddFile(rows, addresses, "/docs/file-" + std::to_string(file) + ".htm");
  }
  ASSERT_EQ(rows.Count(), 1000000);
  rows.SetFilter("h99999");  // h99999 and h999990..h999999
  EXPECT_EQ(rows.Count(), 11);
  rows.SetFilter("");
  rows.SortBy(0, SortOrder::Descending);
  EXPECT_EQ(rows.Cell(0, 0), "http://h999999.example/page");
  rows.SortBy(0, SortOrder::Found);
  // Removing most rows frees their bytes; the rest keep theirs.
  rows.SelectFromView(0, 899999, true);
  EXPECT_EQ(rows.RemoveSelected(), 900000);
  EXPECT_EQ(rows.Cell(0, 0), "http://h900000.example/page");
  EXPECT_EQ(rows.Cell(0, 1), "/docs/file-112500.htm");
  EXPECT_LT(rows.MemoryBytes(), 20u << 20);
}

}  // namespace
}  // namespace korvel
