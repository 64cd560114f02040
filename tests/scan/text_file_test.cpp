#include "scan/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_status.h"
#include "scan/address_scanner.h"
#include "tests/support/temp_tree.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace korvel;
using korvel::testing::TempTree;

namespace {

std::string Converted(std::string bytes) {
  ConvertToText(bytes);
  return bytes;
}

std::string Read(const std::string& path) {
  std::string text = "left over";
  EXPECT_TRUE(ReadTextFile(path, text)) << path;
  return text;
}

bool Refused(const std::string& path) {
  std::string text = "left over";
  const bool read = ReadTextFile(path, text);
  return !read && text.empty();
}

std::vector<std::string> ScanFile(const std::string& path) {
  AddressScanner scanner;
  scanner.ScanFile(path, false);
  return scanner.Addresses();
}

}  // namespace

TEST(TextMode, EndsLinesWithLfAndStopsAtCtrlZ) {
  EXPECT_EQ(Converted(""), "");
  EXPECT_EQ(Converted("a"), "a\n");
  EXPECT_EQ(Converted("a\n"), "a\n");
  EXPECT_EQ(Converted("a\r\n"), "a\n");
  EXPECT_EQ(Converted("\r\n\r\n"), "\n\n");
  EXPECT_EQ(Converted("a\r\r\nb"), "a\r\nb\n") << "only the CR right before LF goes";
  EXPECT_EQ(Converted("a\rb\r"), "a\rb\r\n") << "a lone CR stays";
  EXPECT_EQ(Converted("\r"), "\r\n");
  EXPECT_EQ(Converted(std::string("a\0b", 3)), std::string("a\0b\n", 4));
  EXPECT_EQ(Converted("ab\x1a"
                      "cd\r\n"),
            "ab\n");
  EXPECT_EQ(Converted("a\r\x1a\nb"), "a\r\n") << "the CR before Ctrl+Z has no LF";
  EXPECT_EQ(Converted("\x1a"
                      "abc"),
            "");
  EXPECT_EQ(Converted("\n"), "\n");
}

TEST(TextFile, ReadsTheFileInTextMode) {
  TempTree folder;
  EXPECT_EQ(Read(folder.File("crlf", "one\r\ntwo\r\n")), "one\ntwo\n");
  EXPECT_EQ(Read(folder.File("cr", "one\rtwo")), "one\rtwo\n");
  EXPECT_EQ(Read(folder.File("ctrlz", "one\n\x1atwo\n")), "one\n");
  EXPECT_EQ(Read(folder.File("empty", "")), "");
  EXPECT_EQ(Read(folder.File("nul-byte", std::string("a\0b", 3))), std::string("a\0b\n", 4));
  const std::string big(300000, 'x');
  EXPECT_EQ(Read(folder.File("big", big + "\r\n" + big)), big + "\n" + big + "\n");
}

TEST(TextFile, RefusesWhatIsNotARegularFile) {
  TempTree folder;
  EXPECT_TRUE(Refused(folder.Path("missing")));
  EXPECT_TRUE(Refused(folder.Path("")));
  ASSERT_TRUE(std::filesystem::create_directory(folder.Path("sub")));
  EXPECT_TRUE(Refused(folder.Path("sub")));
  EXPECT_FALSE(IsRegularFileFollowingLinks(folder.Path("sub")));
  const std::string file = folder.File("file", "www.a.org");
  EXPECT_TRUE(IsRegularFileFollowingLinks(file));
  EXPECT_TRUE(Refused(file + std::string(1, '\0') + "x")) << "a NUL inside the path names nothing";
  // A file the walk saw and that is gone by its turn is said, not passed over.
  TextFile gone;
  EXPECT_EQ(gone.Open(folder.Path("missing"), KnownKind::Regular), OpenStatus::Vanished);
  EXPECT_EQ(gone.Open(folder.Path("missing"), KnownKind::Unknown), OpenStatus::NotRegular);
#ifdef _WIN32
  EXPECT_TRUE(Refused(folder.Path("nul"))) << "a device is never read";
#else
  EXPECT_TRUE(Refused("/dev/zero")) << "a device is never read";
#endif
}

#ifndef _WIN32

TEST(TextFile, FifoIsRefusedWithoutBlocking) {
  TempTree folder;
  const std::string fifo = folder.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // With no writer, opening the FIFO for reading would wait forever.
  EXPECT_TRUE(Refused(fifo));
  EXPECT_TRUE(ScanFile(fifo).empty());
}

TEST(TextFile, UnprivilegedUnreadableFileIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser reads every file";
  TempTree folder;
  const std::string file = folder.File("locked", "www.a.org\n");
  ASSERT_EQ(chmod(file.c_str(), 0), 0);
  EXPECT_TRUE(Refused(file));
  EXPECT_TRUE(ScanFile(file).empty());
}

#endif  // _WIN32

TEST(ScanFile, AddressesComeFromTheTextModeContent) {
  TempTree folder;
  EXPECT_EQ(ScanFile(folder.File("crlf", "<a href=\"x\r\ny\">\r\nmail joe@b.org\r\n")),
            (std::vector<std::string>{"joe@b.org", "x\ny"}));
  EXPECT_EQ(ScanFile(folder.File("cr", "http://a/\rhttp://b/\r<a href=\"x\ry\">")),
            (std::vector<std::string>{"http://a/", "http://b/", "x\ry"}));
  EXPECT_EQ(ScanFile(folder.File("ctrlz", "www.a.org\n\x1awww.b.org\n")),
            (std::vector<std::string>{"www.a.org"}));
  EXPECT_EQ(ScanFile(folder.File("last", "x\nsee www.a.org")),
            (std::vector<std::string>{"www.a.org"}));
  EXPECT_EQ(ScanFile(folder.File("nul-byte", std::string("www.a\0b.org x", 13))),
            (std::vector<std::string>{std::string("www.a\0b.org", 11)}));
  EXPECT_TRUE(ScanFile(folder.File("empty", "")).empty());
  EXPECT_TRUE(ScanFile(folder.File("blanks", " \r\n\t\n")).empty());
}

TEST(ScanFile, AppendKeepsTheListAndSkipsWhatItHolds) {
  TempTree folder;
  const std::string a = folder.File("a", "www.a.org www.b.org");
  const std::string b = folder.File("b", "www.b.org www.c.org");
  AddressScanner scanner;
  scanner.ScanFile(a, false);
  scanner.ScanFile(b, true);
  EXPECT_EQ(scanner.Addresses(), (std::vector<std::string>{"www.a.org", "www.b.org", "www.c.org"}));
  scanner.ScanFile(folder.Path("missing"), true);
  EXPECT_EQ(scanner.Count(), 3u);
  scanner.ScanFile(folder.Path("missing"), false);
  EXPECT_TRUE(scanner.IsEmpty());
}

namespace {

// A source that gives `content` at most `step` bytes a read, announcing
// `announced` as its size.
class Trickle final : public ByteSource {
 public:
  Trickle(std::string content, std::size_t step) : content_(std::move(content)), step_(step) {}
  long long Read(char* buffer, std::size_t count) override {
    const std::size_t n = std::min({count, step_, content_.size() - at_});
    content_.copy(buffer, n, at_);
    at_ += n;
    return static_cast<long long>(n);
  }

 private:
  std::string content_;
  std::size_t step_, at_ = 0;
};

}  // namespace

TEST(ReadText, ShortReadsOfAStreamDoNotEndItAndAGrowingFileIsCut) {
  std::string text = "left over from the last file";
  Trickle trickle("one\r\ntwo\r\nthree", 3);
  EXPECT_EQ(ReadText(trickle, 15, text).end, TextReadEnd::End);
  EXPECT_EQ(text, "one\ntwo\nthree\n") << "a stream's short read is not its end";

  // Announced as 10 bytes, it gives 8 MiB: read up to a margin, then cut.
  Trickle growing(std::string(8u << 20, 'x'), 1u << 20);
  EXPECT_EQ(ReadText(growing, 10, text).end, TextReadEnd::Grew);
  EXPECT_GE(text.size(), 10u);
  EXPECT_LT(text.size(), std::size_t{4} << 20);

  std::atomic<bool> cancel{true};
  Trickle cancelled("www.a.org", 100);
  EXPECT_EQ(ReadText(cancelled, 9, text, {&cancel, nullptr}).end, TextReadEnd::Cancelled);
}
