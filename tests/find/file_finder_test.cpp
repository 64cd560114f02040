#include "find/file_finder.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/folder_tokens.h"
#include "tests/support/temp_tree.h"

namespace korvel {
namespace {

using testing::TempTree;
using Strings = std::vector<std::string>;

const char* const kHandlerMessage = "Invalid function pointer(handler).";
const char* const kDirectoryMessage = "Invalid directory.";
const char* const kPatternMessage = "The szPattern parameter contains invalid characters.";
const char* const kQueryMessage = "The szQuery parameter contains invalid characters.";

Strings& Reported() {
  static Strings reported;
  return reported;
}
void Record(const char* path) { Reported().emplace_back(path); }

std::string ThrownMessage(FileFinder::Handler handler, const char* directory, const char* pattern,
                          const char* query) {
  try {
    FileFinder finder(handler, directory, pattern, query);
  } catch (const std::invalid_argument& e) {
    return e.what();
  }
  return "(nothing thrown)";
}

class FileFinderTest : public ::testing::Test {
 protected:
  void SetUp() override { Reported().clear(); }
  FileFinder Finder(const char* pattern = "", const char* query = "") {
    return FileFinder(Record, tree.Root().c_str(), pattern, query);
  }
  TempTree tree;
};

// --- Lists ---------------------------------------------------------------

TEST_F(FileFinderTest, EmptyBlankAndAllInAnyCaseGiveEmptyLists) {
  for (const char* text : {"", " \t\r\n\f ", "-all", "-ALL", " -All "}) {
    FileFinder finder = Finder(text, text);
    EXPECT_TRUE(finder.Patterns().empty()) << text;
    EXPECT_TRUE(finder.Queries().empty()) << text;
  }
  FileFinder null_texts(Record, tree.Root().c_str(), nullptr, nullptr);
  EXPECT_TRUE(null_texts.Patterns().empty());
}

TEST_F(FileFinderTest, AllAmongOtherItemsIsAnOrdinaryItem) {
  EXPECT_EQ(Finder("-all, txt").Patterns(), (Strings{"-all", "txt"}));
}

TEST_F(FileFinderTest, ItemsAreTrimmedLowerCasedAndDeduplicatedInFirstOrder) {
  EXPECT_EQ(Finder("Txt, HTM,txt,, ,-?").Patterns(), (Strings{"txt", "htm", "-?"}));
  EXPECT_EQ(Finder("", "My Docs,READ,my docs,").Queries(), (Strings{"my docs", "read"}));
}

TEST_F(FileFinderTest, EachInvalidCharacterIsRefusedInBothLists) {
  for (char c : std::string("\\/:*?\"<>|\t\r\f\n", 13)) {
    const std::string item = std::string("a") + c + "b";
    EXPECT_EQ(ThrownMessage(Record, tree.Root().c_str(), item.c_str(), ""), kPatternMessage)
        << int(c);
    EXPECT_EQ(ThrownMessage(Record, tree.Root().c_str(), "", item.c_str()), kQueryMessage)
        << int(c);
  }
  EXPECT_EQ(Finder("a b, ;=#").Patterns(), (Strings{"a b", ";=#"}));
}

TEST_F(FileFinderTest, NoExtensionItemIsAllowedOnlyInThePatternList) {
  EXPECT_EQ(Finder("-?").Patterns(), (Strings{"-?"}));
  EXPECT_EQ(ThrownMessage(Record, tree.Root().c_str(), "", "-?"), kQueryMessage);
  EXPECT_EQ(ThrownMessage(Record, tree.Root().c_str(), "*.txt", ""), kPatternMessage);
  EXPECT_EQ(Finder(".txt").Patterns(), (Strings{".txt"}));
}

TEST_F(FileFinderTest, AFailedSetterKeepsTheItemsBeforeTheBadOne) {
  FileFinder finder = Finder("old", "old");
  EXPECT_THROW(finder.SetPattern("a, b, c*, d"), std::invalid_argument);
  EXPECT_EQ(finder.Patterns(), (Strings{"a", "b"}));
  EXPECT_THROW(finder.SetQuery("x, y:z"), std::invalid_argument);
  EXPECT_EQ(finder.Queries(), (Strings{"x"}));
}

// --- Messages and their order ---------------------------------------------

TEST_F(FileFinderTest, ConstructionReportsOnlyTheFirstFailureInOrder) {
  const std::string missing = tree.Path("missing");
  EXPECT_EQ(ThrownMessage(nullptr, missing.c_str(), "*", "?"), kHandlerMessage);
  EXPECT_EQ(ThrownMessage(Record, missing.c_str(), "*", "?"), kDirectoryMessage);
  EXPECT_EQ(ThrownMessage(Record, tree.Root().c_str(), "*", "?"), kPatternMessage);
  EXPECT_EQ(ThrownMessage(Record, tree.Root().c_str(), "txt", "?"), kQueryMessage);
  EXPECT_TRUE(Reported().empty());
}

TEST_F(FileFinderTest, SettersRefuseBadInputAndKeepTheOldValue) {
  FileFinder finder = Finder();
  EXPECT_THROW(finder.SetHandler(nullptr), std::invalid_argument);
  EXPECT_THROW(finder.SetDirectory(tree.Path("missing").c_str()), std::invalid_argument);
  EXPECT_EQ(finder.Directory(), tree.Root());
  tree.File("kept.txt");
  finder.Find(0);
  EXPECT_EQ(Reported(), (Strings{tree.Path("kept.txt")}));
}

// --- Directory --------------------------------------------------------------

TEST_F(FileFinderTest, DirectoryGetsAFinalSeparatorAndKeepsItsText) {
  tree.Folder("Sub Dir");
  std::string path = tree.Path("Sub Dir");
  EXPECT_EQ(FileFinder(Record, ("  " + path + "\t").c_str(), "", "").Directory(),
            path + testing::kSeparator);
  EXPECT_EQ(FileFinder(Record, (path + "/").c_str(), "", "").Directory(),
            path + testing::kSeparator);
  // The existence test does not ask for a folder on Windows; here a path
  // with a final separator exists only as a folder.
  EXPECT_EQ(ThrownMessage(Record, "", "", ""), kDirectoryMessage);
  EXPECT_EQ(ThrownMessage(Record, "  ", "", ""), kDirectoryMessage);
}

TEST_F(FileFinderTest, SpecialTokensResolveInAnyCaseWithBlanksAround) {
  const std::string windows = SpecialFolderPath(SpecialFolder::Windows);
  EXPECT_EQ(FileFinder(Record, " -Win ", "", "").Directory(), windows);
  EXPECT_EQ(FileFinder(Record, "-SYS", "", "").Directory(),
            SpecialFolderPath(SpecialFolder::System));
  EXPECT_EQ(FileFinder(Record, "-root", "", "").Directory(),
            SpecialFolderPath(SpecialFolder::Root));
#ifdef _WIN32
  EXPECT_EQ(SpecialFolderPath(SpecialFolder::Root), windows.substr(0, 3));  // the drive root
#else
  EXPECT_EQ(windows, "/etc/");
  EXPECT_EQ(SpecialFolderPath(SpecialFolder::System), "/usr/lib/");
  EXPECT_EQ(SpecialFolderPath(SpecialFolder::Root), "/");
#endif
  // Only the whole text is a token.
  EXPECT_EQ(ThrownMessage(Record, "-win/x-no-such", "", ""), kDirectoryMessage);
}

// --- Matching ---------------------------------------------------------------

TEST_F(FileFinderTest, PatternComparesTheExtensionWithoutItsDot) {
  FileFinder finder = Finder("txt, -?");
  EXPECT_TRUE(finder.MatchPattern("A.TXT"));
  EXPECT_TRUE(finder.MatchPattern("README"));
  EXPECT_TRUE(finder.MatchPattern("name."));
  EXPECT_TRUE(finder.MatchPattern("archive.tar . txt "));
  EXPECT_FALSE(finder.MatchPattern("a.txt.gz"));
  EXPECT_FALSE(finder.MatchPattern(".profile"));  // extension "profile"
  EXPECT_TRUE(Finder("profile").MatchPattern(".profile"));
  EXPECT_FALSE(Finder(".txt").MatchPattern("a.txt"));
  EXPECT_TRUE(Finder("").MatchPattern("anything.at.all"));
}

TEST_F(FileFinderTest, KeywordMatchesByContainmentEitherWay) {
  FileFinder finder = Finder("", "doc");
  EXPECT_TRUE(finder.MatchQuery("MyDocument.txt"));
  EXPECT_TRUE(finder.MatchQuery("do.txt"));
  EXPECT_FALSE(finder.MatchQuery("readme.doc"));  // the extension is not matched
  EXPECT_TRUE(finder.MatchQuery(".document"));    // a leading dot is no extension
  EXPECT_FALSE(finder.MatchQuery("."));
  EXPECT_FALSE(finder.MatchQuery("   "));
  EXPECT_FALSE(finder.MatchQuery("x.doc"));
  EXPECT_TRUE(Finder("", "zzz, d").MatchQuery("readme.doc"));  // "d" lies in "readme"
}

// --- Walk, through a listing made by the test ------------------------------

class FakeListing : public FolderListing {
 public:
  bool List(const std::string& folder, std::vector<FolderEntry>& entries) const override {
    entries.clear();
    listed.push_back(folder);
    const auto it = folders.find(folder);
    if (it == folders.end()) return false;
    entries = it->second;
    return true;
  }
  std::map<std::string, std::vector<FolderEntry>> folders;
  mutable Strings listed;
};

class WalkTest : public FileFinderTest {
 protected:
  void SetUp() override {
    FileFinderTest::SetUp();
    const std::string r = tree.Root();
    listing.folders[r] = {{".", 0x10},      {"..", 0x10},       {"a.txt", 0x20}, {"docs", 0x10},
                          {"b.htm", 0x21},  {"zip", 0x810},     {"link", 0x410}, {"...", 0x10},
                          {"locked", 0x16}, {"sparse", 0x2010}, {"Doc2", 0xB7},  {"odd", 0x35}};
    listing.folders[P("docs/")] = {{"c.txt", 0x20}, {"deep", 0x30}, {"d.htm", 0x20}};
    listing.folders[P("docs/deep/")] = {{"e.txt", 0x20}};
    listing.folders[P("Doc2/")] = {{"f", 0x20}};
    // "locked/" is not in the map: it cannot be listed.
  }
  Strings Run(int mode, const char* pattern = "", const char* query = "") {
    FileFinder finder = Finder(pattern, query);
    finder.SetListing(listing);
    Reported().clear();
    finder.Find(mode);
    return Reported();
  }
  std::string P(const std::string& relative) const { return tree.Path(relative); }
  FakeListing listing;
};

TEST_F(WalkTest, ModeZeroReportsOnlyTheFolderOwnFilesInListingOrder) {
  EXPECT_EQ(Run(0), (Strings{P("a.txt"), P("b.htm"), P("zip"), P("link"), P("sparse"), P("odd")}));
  EXPECT_EQ(listing.listed, (Strings{tree.Root()}));
}

TEST_F(WalkTest, ModeOneReportsASubtreeWhereItStandsInItsParent) {
  EXPECT_EQ(Run(1), (Strings{P("a.txt"), P("docs/c.txt"), P("docs/deep/e.txt"), P("docs/d.htm"),
                             P("b.htm"), P("zip"), P("link"), P("sparse"), P("Doc2/f"), P("odd")}));
  // Dots-only folders are never listed; the unlistable one is passed over.
  EXPECT_EQ(listing.listed,
            (Strings{tree.Root(), P("docs/"), P("docs/deep/"), P("locked/"), P("Doc2/")}));
}

TEST_F(WalkTest, ModeOneAppliesBothFilters) {
  EXPECT_EQ(Run(1, "htm"), (Strings{P("docs/d.htm"), P("b.htm")}));
  EXPECT_EQ(Run(1, "txt", "e"), (Strings{P("docs/deep/e.txt")}));
  EXPECT_EQ(Run(1, "-?"), (Strings{P("zip"), P("link"), P("sparse"), P("Doc2/f"), P("odd")}));
}

TEST_F(WalkTest, ModeTwoReportsMatchingSubfoldersWithAFinalSeparator) {
  EXPECT_EQ(Run(2), (Strings{P("docs/"), P("locked/"), P("Doc2/")}));
  EXPECT_EQ(Run(2, "", "doc"), (Strings{P("docs/"), P("Doc2/")}));
  EXPECT_EQ(listing.listed.size(), 2u);  // never descends
}

TEST_F(WalkTest, ModeThreeReportsAFolderBeforeItsContents) {
  EXPECT_EQ(Run(3), (Strings{P("docs/"), P("docs/deep/"), P("locked/"), P("Doc2/")}));
  EXPECT_EQ(Run(3, "", "deep"), (Strings{P("docs/deep/")}));
}

TEST_F(WalkTest, FolderNamesKeepTheirExtensionAndFilesAreNeverReported) {
  listing.folders[tree.Root()].push_back({"my.docs", 0x10});
  listing.folders[tree.Root()].push_back({"readme.docs", 0x20});
  listing.folders[P("my.docs/")] = {{"inner.docs", 0x11}, {"x.docs", 0x20}};
  // A file's name would be cut at its last dot ("my"); a folder's is not.
  EXPECT_EQ(Run(2, "", "docs"), (Strings{P("docs/"), P("my.docs/")}));
  EXPECT_EQ(Run(3, "", "docs"), (Strings{P("docs/"), P("my.docs/"), P("my.docs/inner.docs/")}));
  EXPECT_EQ(Run(3, "", "y.d"), (Strings{P("my.docs/")}));
}

// Every word of the rule in one listing: the 26 are walked as folders, their
// neighbours outside the set are files.
const std::vector<std::uint32_t> kFolderWords{0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x30,
                                              0x31, 0x32, 0x33, 0x34, 0x36, 0x37, 0x90, 0x91, 0x92,
                                              0x93, 0x94, 0x96, 0x97, 0xB0, 0xB1, 0xB3, 0xB7};
const std::vector<std::uint32_t> kFileWords{0x35, 0x95, 0xB2, 0xB4, 0xB5, 0xB6, 0x810, 0x2010};

TEST_F(WalkTest, TheTwentySixWordsAreFoldersAndTheirNeighboursFiles) {
  std::vector<FolderEntry>& root = listing.folders[tree.Root()];
  root.clear();
  Strings folders, files;
  for (std::uint32_t word : kFolderWords) {
    const std::string name = "w" + std::to_string(word);
    root.push_back({name, word});
    listing.folders[P(name + "/")] = {{"in.txt", 0x20}};
    folders.push_back(P(name + "/"));
  }
  for (std::uint32_t word : kFileWords) {
    const std::string name = "w" + std::to_string(word);
    root.push_back({name, word});
    listing.folders[P(name + "/")] = {{"in.txt", 0x20}};  // never listed
    files.push_back(P(name));
  }
  EXPECT_EQ(Run(0), files);
  EXPECT_EQ(Run(2), folders);
  Strings inside;
  for (const std::string& folder : folders) inside.push_back(folder + "in.txt");
  inside.insert(inside.end(), files.begin(), files.end());
  EXPECT_EQ(Run(1), inside);
}

void Throwing(const char*) { throw std::runtime_error("stop"); }

TEST_F(WalkTest, AnExceptionFromTheHandlerEndsTheRun) {
  FileFinder finder(Throwing, tree.Root().c_str(), "", "");
  finder.SetListing(listing);
  EXPECT_THROW(finder.Find(1), std::runtime_error);
  EXPECT_EQ(listing.listed, (Strings{tree.Root()}));
}

TEST(FolderAttributesTest, ExactlyTheTwentySixWordsAreFolders) {
  int folders = 0;
  for (std::uint32_t word = 0; word <= 0xFFFF; ++word) folders += IsFolderAttributes(word);
  EXPECT_EQ(folders, 26);
  for (std::uint32_t word : kFolderWords) EXPECT_TRUE(IsFolderAttributes(word)) << word;
  for (std::uint32_t word :
       {0x35u, 0x95u, 0xB2u, 0xB4u, 0xB5u, 0xB6u, 0x410u, 0x810u, 0x2010u, 0x20u, 0x00u})
    EXPECT_FALSE(IsFolderAttributes(word)) << word;
}

}  // namespace
}  // namespace korvel
