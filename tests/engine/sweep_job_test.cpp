#include "engine/sweep_job.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "find/folder_sweep.h"
#include "scan/address_scanner.h"
#include "scan/file_sweep.h"
#include "scan/sweep_hooks.h"
#include "tests/support/temp_tree.h"

namespace korvel {
namespace {

SweepJobOptions Caps(unsigned threads, std::size_t files, std::size_t bytes) {
  SweepJobOptions options;
  options.threads = threads;
  options.max_pending_files = files;
  options.max_pending_bytes = bytes;
  return options;
}

using testing::TempTree;
using Strings = std::vector<std::string>;

// Everything a sink is told, in order.
class RecordingSink : public RowSink {
 public:
  void AddResultRow(std::string_view address, std::string_view location) override {
    rows.push_back(std::string(address) + " | " + std::string(location));
  }
  void FileSwept(std::string_view location) override { swept.emplace_back(location); }
  void ReportIssue(const SweepIssue& issue) override {
    issues.push_back(std::to_string(static_cast<int>(issue.problem)) + " " + issue.path);
    rows.push_back("issue " + issues.back());
  }
  Strings rows, swept, issues;
};

// The one-thread sweep.
class OneThreadDialog : public RowSink, public SweepHooks {
 public:
  void AddResultRow(std::string_view address, std::string_view location) override {
    rows.push_back(std::string(address) + " | " + std::string(location));
  }
  void ShowWarning(const std::string&) override { warned = true; }
  FolderOptions options;
  bool warned = false;
  Strings rows;
};

std::string RandomText(std::mt19937& random) {
  static const Strings pieces{"http://a.example/",
                              "www.b.example",
                              "joe@c.example",
                              "C:\\dir\\f",
                              "<a href=\"x y\">",
                              "mailto:m@d.example",
                              " ",
                              "\r\n",
                              "\n",
                              "\t",
                              std::string("www.nul\0cut.example", 19),
                              "\x1a",
                              "../up",
                              "@",
                              ":",
                              "http://a.example/",
                              "word",
                              "src='s'"};
  std::string text;
  const int count = static_cast<int>(random() % 40);
  for (int i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
  return text;
}

// A random tree of folders and files under `root`.
void MakeTree(const TempTree& tree, const std::string& root, std::mt19937& random, int depth) {
  static const Strings names{"a.txt", "B.htm",  "c",       "doc.html",
                             "e.TXT", "readme", "x.y.txt", ".hidden"};
  const int entries = 1 + static_cast<int>(random() % 6);
  for (int i = 0; i < entries; ++i) {
    const std::string name = std::to_string(random() % 100) + names[random() % names.size()];
    if (depth < 3 && random() % 4 == 0)
      MakeTree(tree, root + name + "/", random, depth + 1);
    else
      tree.File(root + name, RandomText(random));
  }
}

Strings SweepRows(const std::vector<SweepInput>& inputs, const SweepJobOptions& options) {
  RecordingSink sink;
  SweepJob job(inputs, sink, options);
  job.Run();
  EXPECT_TRUE(job.Counters().finished);
  EXPECT_EQ(job.Counters().rows + job.Counters().issues, sink.rows.size());
  return sink.rows;
}

TEST(SweepJob, RowsComeInTheOrderOfTheOneThreadSweepForAnyThreadCount) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed);
    TempTree tree;
    MakeTree(tree, "t/", random, 0);
    tree.File("single.txt", RandomText(random) + " http://single.example/");
    const std::string folder = tree.Path("t/");
    const FolderOptions narrowed{seed % 2 ? "a, doc" : "", seed % 3 ? "txt, htm, -?" : "",
                                 seed == 4};

    OneThreadDialog dialog;
    dialog.options = narrowed;
    SweepFolder(dialog, folder, dialog.options, dialog);
    SweepFile(dialog, tree.Path("single.txt"), dialog);
    SweepFolder(dialog, folder, dialog.options, dialog);
    dialog.options = FolderOptions{};
    SweepFolder(dialog, folder, dialog.options, dialog);
    Strings expected = dialog.rows;

    const std::vector<SweepInput> inputs{
        {SweepInput::Kind::Folder, folder, narrowed},
        {SweepInput::Kind::File, tree.Path("single.txt"), {}},
        {SweepInput::Kind::Folder, folder, FolderOptions{"a:b", "", false}},  // refused
        {SweepInput::Kind::Folder, folder, narrowed},
        {SweepInput::Kind::File, tree.Path("t/"), {}},  // no regular file: passed over
        {SweepInput::Kind::Folder, folder, {}},
    };
    // The refused folder's issue stands where its rows would have been.
    Strings with_issue = expected;
    const std::size_t before_refused = [&] {
      OneThreadDialog first;
      first.options = narrowed;
      SweepFolder(first, folder, first.options, first);
      SweepFile(first, tree.Path("single.txt"), first);
      return first.rows.size();
    }();
    with_issue.insert(
        with_issue.begin() + static_cast<long>(before_refused),
        "issue " + std::to_string(static_cast<int>(SweepProblem::FieldsRefused)) + " " + folder);
    for (unsigned threads : {1u, 2u, 3u, 8u}) {
      EXPECT_EQ(SweepRows(inputs, Caps(threads, 0, 64u << 20)), with_issue) << seed << " " << threads;
      // Caps far below one file: only the file the merge waits for is taken.
      EXPECT_EQ(SweepRows(inputs, Caps(threads, 1, 1)), with_issue) << seed << " " << threads;
    }
  }
}

TEST(SweepJob, ProgressCountsWhatWasDeliveredAndCancelLeavesNoThread) {
  TempTree tree;
  for (int i = 0; i < 200; ++i)
    tree.File("many/" + std::to_string(1000 + i) + ".txt",
              "www.x" + std::to_string(i) + ".example");
  RecordingSink sink;
  SweepJob job({{SweepInput::Kind::Folder, tree.Path("many/"), {}}}, sink, Caps(2, 0, 64u << 20));
  job.Run();
  const SweepCounters p = job.Counters();
  EXPECT_EQ(p.files_found, 200u);
  EXPECT_EQ(p.files_swept, 200u);
  EXPECT_EQ(sink.swept.size(), 200u);
  EXPECT_EQ(p.rows, 200u);
  EXPECT_TRUE(p.walk_done && p.finished);
  EXPECT_EQ(job.CurrentFile(), "");

  // Cancelled before it starts: nothing reaches the sink, and Wait returns.
  RecordingSink nothing;
  SweepJob cancelled({{SweepInput::Kind::Folder, tree.Path("many/"), {}}}, nothing,
                     Caps(3, 0, 64u << 20));
  cancelled.Cancel();
  cancelled.Start();
  cancelled.Wait();
  EXPECT_TRUE(nothing.rows.empty());
  EXPECT_TRUE(cancelled.IsCancelled());
}

TEST(AddressScanner, ARaisedCancelFlagLeavesTheScanAndTheListAsItWas) {
  AddressScanner scanner;
  scanner.ScanText("www.kept.example", false);
  std::atomic<bool> cancel{true};
  scanner.SetCancelFlag(&cancel);
  std::string big(std::size_t{8} << 20, 'x');
  big += " www.new.example";
  EXPECT_THROW(scanner.ScanText(big, true), ScanCancelled);
  EXPECT_EQ(scanner.Addresses(), Strings{"www.kept.example"});
  cancel = false;
  scanner.ScanText(big, true);
  EXPECT_EQ(scanner.Addresses(), (Strings{"www.kept.example", "www.new.example"}));
}

#ifndef _WIN32

TEST(SweepJob, CancelInsideALargeFileEndsWellWithinBound) {
  TempTree tree;
  const std::string big = tree.Path("big.txt");
  {
    std::ofstream(big) << "www.first.example ";
    ASSERT_EQ(truncate(big.c_str(), std::int64_t{1} << 30), 0);  // sparse: reads as NUL bytes
  }
  RecordingSink sink;
  SweepJob job({{SweepInput::Kind::File, big, {}}}, sink, Caps(2, 0, 64u << 20));
  job.Start();
  while (job.Counters().bytes_read == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(job.CurrentFile(), big);
  const auto start = std::chrono::steady_clock::now();
  job.Cancel();
  job.Wait();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(sink.rows.empty());
  EXPECT_LT(job.Counters().bytes_read, std::uint64_t{1} << 30);
}

// Makes `levels` nested folders of 200-byte names below `root`, through
// descriptors, so that the deepest path is far longer than PATH_MAX; puts a
// file at the bottom. Returns the bottom folder's path.
std::string MakeDeepTree(const std::string& root, int levels) {
  const std::string name(200, 'd');
  std::string path = root;
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < levels && fd >= 0; ++i) {
    mkdirat(fd, name.c_str(), 0700);
    const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
    path += name + "/";
  }
  const int file = fd >= 0 ? openat(fd, "deep.txt", O_WRONLY | O_CREAT, 0600) : -1;
  const std::string text = "http://deep.example/";
  const bool written =
      file >= 0 && write(file, text.data(), text.size()) == static_cast<long>(text.size());
  if (file >= 0) close(file);
  if (fd >= 0) close(fd);
  return written ? path : std::string();
}

// Removes what MakeDeepTree made, which a path-based removal cannot reach.
void RemoveDeepTree(int parent, const char* name) {
  const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
  if (fd >= 0) {
    const std::string sub(200, 'd');
    RemoveDeepTree(fd, sub.c_str());
    unlinkat(fd, "deep.txt", 0);
    close(fd);
  }
  unlinkat(parent, name, AT_REMOVEDIR);
}

TEST(SweepJob, ATreeDeeperThanPathMaxIsWalkedAndRead) {
  TempTree tree;
  tree.Folder("deep");
  const std::string bottom = MakeDeepTree(tree.Path("deep/"), 30);
  ASSERT_GT(bottom.size(), 5000u);
  RecordingSink sink;
  SweepJob job({{SweepInput::Kind::Folder, tree.Path("deep/"), {}},
                {SweepInput::Kind::File, bottom + "deep.txt", {}}},
               sink, Caps(2, 0, 64u << 20));
  job.Run();
  EXPECT_EQ(sink.rows, (Strings{"http://deep.example/ | " + bottom + "deep.txt",
                                "http://deep.example/ | " + bottom + "deep.txt"}));
  const int root = open(tree.Root().c_str(), O_RDONLY | O_DIRECTORY);
  RemoveDeepTree(root, "deep");
  close(root);
}

TEST(SweepJob, ProcFilesNeverHang) {
  if (access("/proc/self", F_OK) != 0) GTEST_SKIP() << "no /proc";
  std::vector<SweepInput> inputs{{SweepInput::Kind::Folder, "/proc/self/", {"", "", true}}};
  if (access("/proc/kmsg", F_OK) == 0) inputs.push_back({SweepInput::Kind::File, "/proc/kmsg", {}});
  RecordingSink sink;
  SweepJob job(inputs, sink, Caps(2, 0, 64u << 20));
  job.Start();
  const auto start = std::chrono::steady_clock::now();
  while (!job.Counters().finished &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(30))
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(job.Counters().finished) << "stuck in " << job.CurrentFile();
  job.Cancel();
  job.Wait();
  EXPECT_GT(job.Counters().files_swept, 0u);
}

TEST(SweepJob, TheOutputFileAndWhatIsNoFileArePassedOverAndCounted) {
  TempTree tree;
  tree.File("d/a.txt", "www.a.example");
  const std::string out = tree.File("d/b.tsv", "www.b.example");
  tree.File("d/c.txt", "www.c.example");
  ASSERT_EQ(mkfifo(tree.Path("d/fifo").c_str(), 0600), 0);
  struct stat st {};
  ASSERT_EQ(stat(out.c_str(), &st), 0);
  for (unsigned threads : {1u, 2u}) {
    SweepJobOptions options = Caps(threads, 0, 64u << 20);
    options.skip_file = FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                                     static_cast<std::uint64_t>(st.st_ino)};
    RecordingSink sink;
    SweepJob job({{SweepInput::Kind::Folder, tree.Path("d/"), {}}}, sink, options);
    job.Run();
    EXPECT_EQ(sink.rows,
              (Strings{"www.a.example | " + tree.Path("d/a.txt"),
                       "issue " + std::to_string(static_cast<int>(SweepProblem::IsOutputFile)) +
                           " " + out,
                       "www.c.example | " + tree.Path("d/c.txt")}));
    EXPECT_EQ(job.Counters().passed_over, 1u) << "the FIFO";
    EXPECT_EQ(job.Counters().files_swept, 2u);
  }
}

#endif  // _WIN32

}  // namespace
}  // namespace korvel
