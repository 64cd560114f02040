// Allocation failures while a file is read or scanned. This program replaces
// the global operator new so that a test can make allocations fail on demand.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "engine/sweep_job.h"
#include "find/folder_sweep.h"
#include "scan/address_scanner.h"
#include "tests/support/temp_tree.h"

namespace {

constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();
// Allocations still allowed before the next one fails (kUnlimited: never fail).
std::size_t g_allowed = kUnlimited;
// Only allocations of at least this size count and fail.
std::size_t g_min_size = 0;

// With a budget, the bytes that allocations of at least g_min_size hold at
// once may not pass it: a memory cap shared by the sweep's threads.
std::atomic<std::size_t> g_budget{kUnlimited};
std::atomic<std::size_t> g_live{0}, g_peak{0};

// Each block carries its size in front, so that its release is counted.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size) {
  if (g_allowed != kUnlimited && size >= g_min_size) {
    if (g_allowed == 0) throw std::bad_alloc();
    --g_allowed;
  }
  const bool counted = size >= g_min_size && g_budget.load() != kUnlimited;
  if (counted) {
    const std::size_t live = g_live.fetch_add(size) + size;
    if (live > g_budget.load()) {
      g_live.fetch_sub(size);
      throw std::bad_alloc();
    }
    for (std::size_t peak = g_peak.load(); live > peak && !g_peak.compare_exchange_weak(peak, live);) {
    }
  }
  if (auto* p = static_cast<unsigned char*>(std::malloc(kHeader + (size == 0 ? 1 : size)))) {
    *reinterpret_cast<std::size_t*>(p) = counted ? size : 0;
    return p + kHeader;
  }
  if (counted) g_live.fetch_sub(size);
  throw std::bad_alloc();
}

void Release(void* block) noexcept {
  if (block == nullptr) return;
  auto* p = static_cast<unsigned char*>(block) - kHeader;
  if (const std::size_t size = *reinterpret_cast<std::size_t*>(p)) g_live.fetch_sub(size);
  std::free(p);
}

// Arms the failure for the length of one scope.
class FailAllocations {
 public:
  FailAllocations(std::size_t after, std::size_t min_size) {
    g_allowed = after;
    g_min_size = min_size;
  }
  ~FailAllocations() { g_allowed = kUnlimited; }
  FailAllocations(const FailAllocations&) = delete;
  FailAllocations& operator=(const FailAllocations&) = delete;
};

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

using korvel::AddressScanner;
using korvel::testing::TempTree;
using List = std::vector<std::string>;

namespace {

// A file of a few megabytes with a handful of addresses.
std::string BigFile(const TempTree& folder) {
  std::string text = "<a href=\"http://www.example.org/first/page.html\">\n";
  text += std::string(3 << 20, 'x');
  text +=
      "\nwrite to someone.with.a.long.name@mail.example.org or see "
      "C:\\Some\\Long\\Path\\file.txt\n";
  return folder.File("big.html", text);
}

const List kBigFileAddresses{"http://www.example.org/first/page.html",
                             "someone.with.a.long.name@mail.example.org",
                             "C:\\Some\\Long\\Path\\file.txt"};

}  // namespace

TEST(AllocationFailure, FileTooLargeToReadAddsNothing) {
  TempTree folder;
  const std::string file = BigFile(folder);
  AddressScanner scanner;
  scanner.ScanText("www.before.org", false);
  {
    FailAllocations fail(0, 1 << 20);  // the read buffer
    scanner.ScanFile(file, true);
  }
  EXPECT_EQ(scanner.Addresses(), List{"www.before.org"});
  {
    FailAllocations fail(1, 256 << 10);  // the read buffer succeeds, the scan's bitmaps do not
    scanner.ScanFile(file, true);
  }
  EXPECT_EQ(scanner.Addresses(), List{"www.before.org"});
  {
    FailAllocations fail(0, 1 << 20);
    scanner.ScanFile(file, false);
  }
  EXPECT_TRUE(scanner.IsEmpty());
}

TEST(AllocationFailure, FailureAtAnyStepLeavesTheListAsItWas) {
  TempTree folder;
  const std::string file = BigFile(folder);
  List expected{"www.before.org"};
  expected.insert(expected.end(), kBigFileAddresses.begin(), kBigFileAddresses.end());
  bool completed = false;
  for (std::size_t after = 0; !completed && after < 1000; ++after) {
    AddressScanner scanner;
    scanner.ScanText("www.before.org", false);
    {
      FailAllocations fail(after, 0);
      scanner.ScanFile(file, true);
    }
    completed = scanner.Count() > 1;
    if (!completed) {
      ASSERT_EQ(scanner.Addresses(), List{"www.before.org"}) << "failing allocation " << after;
      // The duplicate test must still agree with the list.
      scanner.ScanFile(file, true);
    }
    ASSERT_EQ(scanner.Addresses(), expected) << "failing allocation " << after;
  }
  EXPECT_TRUE(completed);
}

namespace {

// Records rows and warnings. The cursor comes back before the warning and
// after the files are swept: the failure ends there, so that only the walk
// and the sweeps fail.
class FolderDialog : public korvel::RowSink, public korvel::SweepHooks {
 public:
  void AddResultRow(std::string_view address, std::string_view) override {
    rows.emplace_back(address);
  }
  void ShowWarning(const std::string&) override { ++warnings; }
  int BeginWaitCursor() override { return 0; }
  void RestoreCursor(int) override { g_allowed = kUnlimited; }
  void AddKeywordsToHistory() override { ++histories; }
  void AddExtensionsToHistory() override { ++histories; }
  List rows;
  int warnings = 0, histories = 0;
};

// Empty fields, local sweep.
const korvel::FolderOptions kLocalSweep{{}, {}, true};

}  // namespace

TEST(AllocationFailure, AFailedWalkKeepsItsFoundFilesUntilTheNextFolderSweep) {
  TempTree folder;
  List all;
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
    all.push_back(folder.File(name, std::string("http://") + name + ".example\n"));
  bool seen = false;
  for (std::size_t after = 0; !seen && after < 200; ++after) {
    FolderDialog dialog;
    {
      FailAllocations fail(after, 0);
      try {
        korvel::SweepFolder(dialog, folder.Path(""), kLocalSweep, dialog);
      } catch (const std::bad_alloc&) {
        continue;  // failed outside the walk
      }
    }
    if (dialog.warnings == 0 || korvel::FoundFiles().empty()) continue;
    seen = true;
    // What the walk collected stays, unswept, and no history changed.
    const List kept = korvel::FoundFiles();
    ASSERT_LE(kept.size(), all.size());
    EXPECT_EQ(kept, List(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(kept.size())));
    EXPECT_TRUE(dialog.rows.empty());
    EXPECT_EQ(dialog.histories, 0);
    // The next sweep starts from an empty list and leaves one.
    FolderDialog next;
    korvel::SweepFolder(next, folder.Path(""), kLocalSweep, next);
    EXPECT_EQ(next.rows, (List{"http://a.txt.example", "http://b.txt.example",
                               "http://c.txt.example", "http://d.txt.example"}));
    EXPECT_TRUE(korvel::FoundFiles().empty());
  }
  EXPECT_TRUE(seen) << "no failing allocation fell inside the walk";
}

namespace {

class RowList final : public korvel::RowSink {
 public:
  void AddResultRow(std::string_view address, std::string_view location) override {
    rows.push_back(std::string(address) + " | " + std::string(location));
  }
  void ReportIssue(const korvel::SweepIssue& issue) override { rows.push_back("issue " + issue.path); }
  List rows;
};

List SweepUnderBudget(const std::string& folder, unsigned threads, std::size_t budget) {
  RowList sink;
  korvel::SweepJobOptions options;
  options.threads = threads;
  g_min_size = 256 << 10;
  g_peak = 0;
  g_budget = budget;
  korvel::SweepJob job({{korvel::SweepInput::Kind::Folder, folder, {}}}, sink, options);
  job.Run();
  g_budget = kUnlimited;
  g_min_size = 0;
  return sink.rows;
}

}  // namespace

// A file whose memory fits alone but not beside another is read again alone:
// the rows do not depend on the number of threads.
TEST(AllocationFailure, AFileThatFitsOnlyAloneIsRetriedAlone) {
  TempTree folder;
  // A quote that never closes holds the whole text in memory; the rows are small.
  std::string words;
  for (int i = 0; i < (1 << 20); ++i) words += "word ";
  for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"})
    folder.File(name, "<a href=\"" + words + "www." + name + ".example\n");
  const List alone = SweepUnderBudget(folder.Root(), 1, kUnlimited - 1);
  ASSERT_EQ(alone.size(), 4u);
  const std::size_t one_file = g_peak.load();
  for (int run = 0; run < 3; ++run)
    EXPECT_EQ(SweepUnderBudget(folder.Root(), 2, one_file + one_file / 2), alone) << run;
}

