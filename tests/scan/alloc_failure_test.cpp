// Allocation failures while a file is read or scanned. This program replaces
// the global operator new so that a test can make allocations fail on demand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "find/folder_sweep.h"
#include "scan/address_scanner.h"
#include "tests/support/temp_tree.h"

namespace {

constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();
// Allocations still allowed before the next one fails (kUnlimited: never fail).
std::size_t g_allowed = kUnlimited;
// Only allocations of at least this size count and fail.
std::size_t g_min_size = 0;

void* Allocate(std::size_t size) {
  if (g_allowed != kUnlimited && size >= g_min_size) {
    if (g_allowed == 0) throw std::bad_alloc();
    --g_allowed;
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
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
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

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
