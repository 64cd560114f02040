#include "platform/folder_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "find/file_finder.h"
#include "platform/file_status.h"
#include "tests/support/temp_tree.h"

namespace korvel {
namespace {

using testing::TempTree;
using Strings = std::vector<std::string>;

Strings& Reported() {
  static Strings reported;
  return reported;
}
void Record(const char* path) { Reported().emplace_back(path); }

std::map<std::string, std::uint32_t> ListWords(const std::string& folder) {
  std::vector<FolderEntry> entries;
  EXPECT_TRUE(SystemFolderListing().List(folder, entries));
  std::map<std::string, std::uint32_t> words;
  for (const auto& entry : entries) words[entry.name] = entry.attributes;
  return words;
}

TEST(SystemFolderListingTest, EntriesComeSortedInByteOrder) {
  TempTree tree;
  for (const char* name : {"b", "B", "a", "\xE9t\xE9", "_x", "a.txt", "A.txt"}) tree.File(name);
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(SystemFolderListing().List(tree.Root(), entries));
  Strings names;
  for (const auto& entry : entries) names.push_back(entry.name);
  EXPECT_EQ(names, (Strings{".", "..", "A.txt", "B", "_x", "a", "a.txt", "b", "\xE9t\xE9"}));
}

TEST(SystemFolderListingTest, AttributeWordsFollowTheWindowsRule) {
  TempTree tree;
  tree.Folder("dir");
  tree.Folder(".hidden");
  tree.Folder("readonly");
  chmod(tree.Path("readonly").c_str(), 0555);
  tree.File("file.txt");
  tree.File(".profile");
  ASSERT_EQ(symlink("dir", tree.Path("to-dir").c_str()), 0);
  ASSERT_EQ(symlink("file.txt", tree.Path("to-file").c_str()), 0);
  ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0600), 0);

  const auto words = ListWords(tree.Root());
  EXPECT_EQ(words.at("dir"), 0x10u);
  EXPECT_EQ(words.at(".hidden"), 0x12u);
  EXPECT_EQ(words.at("readonly"), 0x11u);
  EXPECT_EQ(words.at("file.txt"), 0x20u);
  EXPECT_EQ(words.at(".profile"), 0x22u);
  EXPECT_EQ(words.at("to-dir"), 0x400u);
  EXPECT_EQ(words.at("to-file"), 0x400u);
  EXPECT_EQ(words.at("fifo"), 0x20u);
  for (const auto& [name, word] : words)
    EXPECT_EQ(IsFolderAttributes(word), name == "." || name == ".." || name == "dir" ||
                                            name == ".hidden" || name == "readonly")
        << name;
}

TEST(SystemFolderListingTest, AMissingFolderCannotBeListed) {
  TempTree tree;
  std::vector<FolderEntry> entries{{"stale", 0}};
  EXPECT_FALSE(SystemFolderListing().List(tree.Path("missing/"), entries));
  EXPECT_TRUE(entries.empty());
  EXPECT_TRUE(ExistsFollowingLinks(tree.Root()));
  EXPECT_FALSE(ExistsFollowingLinks(tree.Path("missing")));
}

TEST(SystemWalkTest, LinksAreReportedAsFilesAndNeverFollowed) {
  TempTree tree;
  tree.File("a/file.txt", "x");
  ASSERT_EQ(symlink("..", tree.Path("a/b").c_str()), 0);  // a loop
  ASSERT_EQ(symlink("a", tree.Path("c").c_str()), 0);
  ASSERT_EQ(mkfifo(tree.Path("a/fifo").c_str(), 0600), 0);
  tree.Socket("a/sock");

  Reported().clear();
  FileFinder finder(Record, tree.Root().c_str(), "", "");
  finder.Find(1);
  EXPECT_EQ(Reported(), (Strings{tree.Path("a/b"), tree.Path("a/fifo"), tree.Path("a/file.txt"),
                                 tree.Path("a/sock"), tree.Path("c")}));
}

// A folder listed as a folder and swapped for a link before the walk reaches
// it is not entered: the walk opens it without following links.
TEST(SystemWalkTest, AFolderSwappedForALinkAfterTheListingIsNotEntered) {
  TempTree tree;
  tree.File("root/a/1.txt");
  tree.File("root/b/2.txt");
  tree.File("foreign/secret.txt");
  static std::string swap_at, folder, foreign;
  swap_at = tree.Path("root/a/1.txt");
  folder = tree.Path("root/b");
  foreign = tree.Path("foreign");
  Reported().clear();
  FileFinder finder(
      [](const char* path) {
        Record(path);
        if (path == swap_at) {
          std::filesystem::rename(folder, folder + ".old");
          std::filesystem::create_directory_symlink(foreign, folder);
        }
      },
      tree.Path("root").c_str(), "", "");
  finder.Find(1);
  EXPECT_EQ(Reported(), (Strings{tree.Path("root/a/1.txt")}));
}

TEST(SystemWalkTest, UnprivilegedUnreadableFolderIsPassedOverAndTheWalkGoesOn) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  TempTree tree;
  tree.File("1/one.txt");
  tree.File("2/secret.txt");
  tree.File("3/three.txt");
  ASSERT_EQ(chmod(tree.Path("2").c_str(), 0), 0);

  Reported().clear();
  FileFinder finder(Record, tree.Root().c_str(), "", "");
  finder.Find(1);
  EXPECT_EQ(Reported(), (Strings{tree.Path("1/one.txt"), tree.Path("3/three.txt")}));
}

}  // namespace
}  // namespace korvel
