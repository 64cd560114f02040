#include "find/folder_sweep.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "scan/file_sweep.h"
#include "tests/support/temp_tree.h"

namespace korvel {
namespace {

using testing::TempTree;
using Strings = std::vector<std::string>;

// Records every call a sweep makes on its window, in order.
class RecordingDialog : public RowSink, public SweepHooks {
 public:
  void AddResultRow(std::string_view address, std::string_view location) override {
    rows.push_back(std::string(address) + " | " + std::string(location));
    events.push_back("row " + std::string(address));
  }
  void ShowWarning(const std::string& text) override {
    calls.push_back("warning: " + text + (depth == 0 ? " (cursor restored)" : " (still waiting)"));
  }
  int BeginWaitCursor() override {
    ++depth;
    return depth - 1;
  }
  void RestoreCursor(int previous) override {
    EXPECT_EQ(previous, depth - 1);
    depth = previous;
  }
  void AddKeywordsToHistory() override { Call("keywords history"); }
  void AddExtensionsToHistory() override { Call("extensions history"); }
  void Call(const std::string& what) {
    calls.push_back(what);
    events.push_back(what);
  }

  // The folder sweep as the window starts it, with these fields.
  void Sweep(const std::string& folder) {
    SweepFolder(*this, folder, {keywords, extensions, local}, *this);
  }

  std::string keywords, extensions;
  bool local = false;
  int depth = 0;
  Strings rows, calls;
  Strings events;  // rows and history calls together, in order
};

class FolderSweepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.File("index.htm", "<a href=\"http://one.example/\">x</a> see www.two.example, too");
    tree.File("notes.txt", "mail me at someone@mail.example or C:\\data\\file.txt here");
    tree.File("sub/page.HTML", "ftp://three.example");
    tree.File("sub/deeper/doc.txt", "http://four.example");
    tree.File("empty.txt", "");
  }
  std::string P(const std::string& relative) const { return tree.Path(relative); }
  TempTree tree;
  RecordingDialog dialog;
};

TEST_F(FolderSweepTest, EmptyFieldsSweepEveryFileInWalkOrder) {
  dialog.Sweep(tree.Root());
  EXPECT_EQ(
      dialog.rows,
      (Strings{"http://one.example/ | " + P("index.htm"), "www.two.example | " + P("index.htm"),
               "someone@mail.example | " + P("notes.txt"), "C:\\data\\file.txt | " + P("notes.txt"),
               "http://four.example | " + P("sub/deeper/doc.txt"),
               "ftp://three.example | " + P("sub/page.HTML")}));
  EXPECT_EQ(dialog.calls, (Strings{"keywords history", "extensions history"}));
  EXPECT_EQ(dialog.depth, 0);
  EXPECT_TRUE(FoundFiles().empty());
}

TEST_F(FolderSweepTest, LocalSweepWithExtensionsTakesOnlyTheFolderOwnMatchingFiles) {
  dialog.extensions = "htm, html";
  dialog.local = true;
  dialog.Sweep(tree.Root());
  EXPECT_EQ(dialog.rows, (Strings{"http://one.example/ | " + P("index.htm"),
                                  "www.two.example | " + P("index.htm")}));
  dialog.rows.clear();
  dialog.local = false;
  dialog.Sweep(tree.Root());
  EXPECT_EQ(dialog.rows.size(), 3u);  // sub/page.HTML too
}

TEST_F(FolderSweepTest, KeywordsNarrowByBaseName) {
  dialog.keywords = "DOC";
  dialog.Sweep(P("sub"));  // no final separator: the finder adds it
  EXPECT_EQ(dialog.rows, (Strings{"http://four.example | " + P("sub/deeper/doc.txt")}));
  // The histories take the texts once the files are swept, not before.
  EXPECT_EQ(dialog.events,
            (Strings{"row http://four.example", "keywords history", "extensions history"}));
}

TEST_F(FolderSweepTest, InvalidFieldTextWarnsAfterTheCursorAndSweepsNothing) {
  for (const auto& [keywords, extensions] :
       {std::pair{"a:b", ""}, std::pair{"", "*.txt"}, std::pair{"", "-?, txt|htm"}}) {
    dialog.keywords = keywords;
    dialog.extensions = extensions;
    dialog.calls.clear();
    dialog.Sweep(tree.Root());
    EXPECT_TRUE(dialog.rows.empty());
    EXPECT_EQ(dialog.calls, (Strings{"warning: The Keywords/Extensions fields contain invalid "
                                     "characters. (cursor restored)"}));
  }
}

TEST_F(FolderSweepTest, AMissingFolderEndsInTheSameWarning) {
  dialog.Sweep(P("missing"));
  EXPECT_EQ(dialog.calls.size(), 1u);
  EXPECT_EQ(dialog.calls[0].rfind("warning: The Keywords/Extensions", 0), 0u);
}

TEST_F(FolderSweepTest, NoMatchStillEntersTheHistories) {
  dialog.extensions = "pdf";
  dialog.Sweep(tree.Root());
  EXPECT_TRUE(dialog.rows.empty());
  EXPECT_EQ(dialog.calls, (Strings{"keywords history", "extensions history"}));
  EXPECT_EQ(dialog.depth, 0);
}

TEST_F(FolderSweepTest, SweepingTwiceListsTheRowsTwice) {
  dialog.local = true;
  dialog.extensions = "txt";
  dialog.Sweep(tree.Root());
  dialog.Sweep(tree.Root());
  EXPECT_EQ(dialog.rows.size(), 4u);
  EXPECT_EQ(dialog.rows[0], dialog.rows[2]);
}

TEST(FileSweepTest, OnlyARegularFileGetsTheCursorAndRows) {
  TempTree tree;
  tree.File("a.txt", "see http://x.example");
#ifndef _WIN32
  ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0600), 0);
#endif
  int cursors = 0;
  struct CountingDialog : RecordingDialog {
    int* count;
    int BeginWaitCursor() override {
      ++*count;
      return RecordingDialog::BeginWaitCursor();
    }
  } counting;
  counting.count = &cursors;
  for (const std::string& path : {tree.Root(), tree.Path("missing"), tree.Path("fifo")})
    SweepFile(counting, path, counting);
  EXPECT_EQ(cursors, 0);
  EXPECT_TRUE(counting.rows.empty());

  // The location is the path exactly as given.
  const std::string odd_path = tree.Path("./a.txt");
  SweepFile(counting, odd_path, counting);
  EXPECT_EQ(cursors, 1);
  EXPECT_EQ(counting.depth, 0);
  EXPECT_EQ(counting.rows, (Strings{"http://x.example | " + odd_path}));
}

TEST(FileSweepTest, AnAddressIsCutAtItsFirstNul) {
  TempTree tree;
  tree.File("cut.txt", std::string("x http://a.example/\0tail y", 26));
  RecordingDialog dialog;
  SweepFile(dialog, tree.Path("cut.txt"), dialog);
  EXPECT_EQ(dialog.rows, (Strings{"http://a.example/ | " + tree.Path("cut.txt")}));
}

}  // namespace
}  // namespace korvel
