// Compares the scanner with the step-by-step reference on many random texts
// made of the pieces that matter to the four passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "reference_scanner.h"
#include "scan/address_scanner.h"
#include "stream_check.h"
#include "text_escape.h"

using namespace korvel;

namespace {

// Small fixed-seed generator: the same texts on every platform and run.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
  bool OneIn(std::size_t n) { return Below(n) == 0; }

 private:
  std::uint64_t state_;
};

const std::vector<std::string>& Words() {
  static const std::vector<std::string> words = [] {
    // clang-format off
    std::vector<std::string> w = {
        "../", "file:", "http:", "https:", "ftp:", "mailto:", "gopher:", "news:", "newsrc:", "nntp:",
        "telnet:", "wais:", "www.", "action", "background", "cite", "classid", "codebase", "data",
        "href", "longdesc", "profile", "src", "usemap", "metadata", "@", "@", ":", ":\\", ":/", "\\",
        "/", "//", "\"", "'", "\\\"", "\\'", "=", " = ", "=\"", "='", ".", "..", "a", "b", "c", "x",
        "Z", "q1", "host.org", "joe", "C:", " c:\\", "\r\n", "\r", "\n", "\f", "\v", " ", "\t",
        std::string(1, '\0'), "\x1a", "\x80", "\xe9", "\xff", "-", "_", "^", "#", "?", ";", "&",
        "%", "!", "~", "`", "$", "+", "|", "<", ">", "*", "(", ")", "[", "]", "{", "}", ",",
        "<a href=\"", "\">", " src='", "'>", "@example.com", "mail@", ".org", "x.y", ".us", "a.tv", "zz",
        "joe@x.us"};
    // clang-format on
    return w;
  }();
  return words;
}

// Changes the case of ASCII letters at random.
std::string MixCase(std::string s, Random& random) {
  for (char& c : s) {
    if (random.OneIn(2)) continue;
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

std::string PieceText(Random& random, std::size_t pieces) {
  std::string text;
  for (std::size_t i = 0; i < pieces; ++i)
    text += MixCase(Words()[random.Below(Words().size())], random);
  return text;
}

// Dense texts over a tiny alphabet, where the passes interfere most.
std::string DenseText(Random& random, std::size_t length) {
  static const std::string alphabet = "ab.:/\\@=\"' \n,<>sr";
  static const std::vector<std::string> names = {"src", "cite", "href", "data"};
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    if (random.OneIn(12))
      text += names[random.Below(names.size())];
    else
      text += alphabet[random.Below(alphabet.size())];
  }
  return text;
}

// Attribute soup: names, blanks, addresses that later passes see blanked,
// equals signs and quoted values with escapes or without a closing quote.
std::string AttributeText(Random& random, std::size_t attributes) {
  static const std::vector<std::string> names = {"action",   "href",     "src",   "cite",
                                                 "data",     "metadata", "class", "usemap",
                                                 "longdesc", "xsrc",     "id"};
  static const std::vector<std::string> between = {
      "", " ", "\t", " joe@x.us ", "joe@x.us", " a@b.c.", " www.q ", " c:\\p ", " http://h ", "x"};
  static const std::vector<std::string> values = {"v",     "\\\"", " a b ", "",    "http://h/",
                                                  "it's",  "\\",   "x\"",   "\"y", "joe@x.us",
                                                  "c:\\q", "'",    "\\'"};
  std::string text;
  for (std::size_t i = 0; i < attributes; ++i) {
    text += MixCase(names[random.Below(names.size())], random);
    text += between[random.Below(between.size())];
    if (!random.OneIn(6)) text += random.OneIn(2) ? "=" : " = ";
    const char* quote = random.OneIn(2) ? "\"" : "'";
    if (!random.OneIn(6)) text += quote;
    text += values[random.Below(values.size())];
    if (!random.OneIn(5)) text += quote;
    text += random.OneIn(3) ? " " : "";
  }
  return text;
}

// Long texts: pieces, many distinct addresses, and stretches of plain words
// (no candidate in them) of `gap` bytes and more between them.
std::string LongText(Random& random, std::size_t length, std::size_t gap) {
  static const std::vector<std::string> plain = {"lorem ", "ipsum ",   "dolor\n",
                                                 "sit ",   "amet\r\n", "\t"};
  std::string text;
  std::size_t host = 0;
  while (text.size() < length) {
    text += PieceText(random, 1 + random.Below(40));
    text +=
        " http://host" + std::to_string(host++) + ".example/p" + (random.OneIn(2) ? "?q=1 " : " ");
    if (random.OneIn(4)) text += AttributeText(random, 1 + random.Below(4));
    if (gap > 0 && random.OneIn(3)) {
      const std::size_t stop = text.size() + gap + random.Below(gap / 4 + 1);
      while (text.size() < stop) text += plain[random.Below(plain.size())];
    }
  }
  return text;
}

void ExpectSameAsReference(const std::vector<std::string>& texts) {
  AddressScanner scanner;
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    scanner.ScanText(texts[i], i != 0);
    reference::ExtractAddresses(texts[i], expected);
    if (scanner.Addresses() != expected) {
      std::string all;
      for (const std::string& t : texts) all += "\n  text: \"" + korvel::testing::Escape(t) + "\"";
      FAIL() << "scanner and reference differ after " << i + 1 << " text(s):" << all
             << "\n  scanner:   " << korvel::testing::EscapeList(scanner.Addresses())
             << "\n  reference: " << korvel::testing::EscapeList(expected);
    }
  }
}

// The chunk sizes the streamed scan is tried with.
constexpr std::size_t kChunks[] = {1, 2, 3, 7, 64, 4096};

void ExpectStreamedSame(const std::string& bytes, std::size_t chunk) {
  const std::vector<std::string> expected = korvel::testing::WholeTextRows(bytes);
  const std::vector<std::string> streamed = korvel::testing::StreamedRows(bytes, chunk);
  if (streamed != expected)
    FAIL() << "streamed in chunks of " << chunk << " bytes, the rows differ:\n  text: \""
           << korvel::testing::Escape(bytes)
           << "\"\n  streamed:   " << korvel::testing::EscapeList(streamed)
           << "\n  whole text: " << korvel::testing::EscapeList(expected);
}

}  // namespace

TEST(Differential, PieceTextsMatchTheReference) {
  Random random(20240611);
  for (int round = 0; round < 6000; ++round) {
    const std::string text = PieceText(random, 1 + random.Below(100));
    ExpectSameAsReference({text});
    ExpectStreamedSame(text, kChunks[round % 6]);
    if (HasFatalFailure()) return;
  }
}

TEST(Differential, DenseTextsMatchTheReference) {
  Random random(77);
  for (int round = 0; round < 6000; ++round) {
    const std::string text = DenseText(random, 1 + random.Below(400));
    ExpectSameAsReference({text});
    ExpectStreamedSame(text, kChunks[round % 6]);
    if (HasFatalFailure()) return;
  }
}

TEST(Differential, AttributeTextsMatchTheReference) {
  Random random(31);
  for (int round = 0; round < 6000; ++round) {
    const std::string text = AttributeText(random, 1 + random.Below(24));
    ExpectSameAsReference({text});
    ExpectStreamedSame(text, kChunks[round % 6]);
    if (HasFatalFailure()) return;
  }
}

TEST(Differential, AppendedScansMatchTheReference) {
  Random random(5);
  for (int round = 0; round < 1000; ++round) {
    ExpectSameAsReference({PieceText(random, random.Below(30)), PieceText(random, random.Below(30)),
                           DenseText(random, random.Below(60))});
    if (HasFatalFailure()) return;
  }
}

TEST(Differential, LongTextsMatchTheReference) {
  Random random(2026);
  // Hundreds of distinct addresses (the duplicate index grows), candidates
  // more than 64 KB apart, and texts of several megabytes.
  for (int round = 0; round < 3; ++round) {
    const std::string text = LongText(random, 40000, 0);
    ExpectSameAsReference({text});
    ExpectStreamedSame(text, kChunks[round + 2]);
    if (HasFatalFailure()) return;
  }
  ExpectSameAsReference({LongText(random, 1 << 20, 70000), LongText(random, 300000, 0)});
  if (HasFatalFailure()) return;
  for (std::size_t megabytes : {3u, 5u}) {
    const std::string text = LongText(random, megabytes << 20, 1 << 17);
    ExpectSameAsReference({text});
    ExpectStreamedSame(text, 4096);
    if (HasFatalFailure()) return;
  }
}

// Texts made to put each kind of edge at every place a cut can fall: every
// chunk size from 1 to 40 moves the cuts across each of them.
TEST(Differential, StreamedEdgesMatchTheWholeText) {
  const std::string filler(300, 'w');
  const std::vector<std::string> texts = {
      // Tokens, CR LF and Ctrl+Z across edges; the first window is trimmed.
      " \r\n\t.a@b.c C:\\x\r\nhttp://h/p\r\r\n x.y@z.org\r",
      "C:\\x ../a/b www.Q.org\r\nfile:x Mailto:j@k.l d:/e\x1a http://after.end",
      "a@b.c\r\n\r\n\r\x1a",
      // A name before the cut, its "=" after it, blanked addresses between.
      "src a@b.c \n = 'v w' xsrc\t\t=\t\"q\" data a@b.c d@e.f = 'x y' href=\n\n'z'",
      "Href a@b.c\n \"not\" = \"v\" cite= a@b.c \"u\"",
      // Quoted values over many chunks, with earlier finds and escapes in them.
      "<a href=\"http://x a@b.c " + filler + " \\\" c:\\d\"> usemap='" + filler + " '",
      // Quotes that never close, and runs without a stop longer than a chunk.
      "action='" + filler + " http://h " + filler + " src=\"a\"",
      "http://" + filler + filler + " x@" + filler + ".org " + filler + "@q.r",
      // Found by a link value first, by an earlier pass later: the row moves.
      "<a href=\"http://h\"> " + filler + " http://h " + filler + " codebase='a@b.c' a@b.c",
      // Rows cut at the NUL stay apart when the addresses differ after it.
      std::string("http://a\0b http://a\0c http://a\0b\n", 32),
  };
  for (const std::string& text : texts) {
    for (std::size_t chunk = 1; chunk <= 40; ++chunk) {
      ExpectStreamedSame(text, chunk);
      if (HasFatalFailure()) return;
    }
  }
}

// Kind, first place and count: the same for every chunk size as for one
// window, the rows those of the plain scan, and each place where the file's
// bytes hold the address, after as many LFs as its line says.
TEST(Differential, StreamedDetailsAreTheFileBytesForEveryChunkSize) {
  Random random(21);
  const auto details = [](const std::string& bytes, std::size_t chunk, AddressBatch& rows) {
    StreamScanner scanner(chunk);
    korvel::testing::StringSource source(bytes, (chunk + 1) / 2 + 1);
    scanner.Scan(source, bytes.size(), rows, {nullptr, nullptr, kRowKind | kRowPlace | kRowCount});
  };
  for (int round = 0; round < 3000; ++round) {
    const std::string text = round % 3 == 0   ? PieceText(random, 1 + random.Below(100))
                             : round % 3 == 1 ? DenseText(random, 1 + random.Below(400))
                                              : AttributeText(random, 1 + random.Below(24));
    AddressBatch whole, cut;
    details(text, std::size_t{1} << 30, whole);
    details(text, kChunks[round % 6], cut);
    const std::vector<std::string> plain = korvel::testing::WholeTextRows(text);
    ASSERT_EQ(cut.Count(), plain.size()) << korvel::testing::Escape(text);
    ASSERT_TRUE(plain.empty() || cut.HasDetails());
    for (std::size_t i = 0; i < plain.size(); ++i) {
      const RowDetail& a = whole.Detail(i);
      const RowDetail& b = cut.Detail(i);
      ASSERT_EQ(cut[i], plain[i]);
      ASSERT_TRUE(a.kind == b.kind && a.line == b.line && a.offset == b.offset &&
                  a.count == b.count)
          << "chunk " << kChunks[round % 6] << ", row " << i << ": \""
          << korvel::testing::Escape(text) << "\"";
      ASSERT_GE(b.count, 1u);
      ASSERT_EQ(b.line, 1 + std::count(text.begin(), text.begin() + b.offset, '\n'));
      if (plain[i].find('\n') == std::string::npos) {
        ASSERT_EQ(text.substr(b.offset, plain[i].size()), plain[i])
            << korvel::testing::Escape(text);
      }
    }
  }
}

// What the caller sees besides the rows: a read failure ends the text where
// it happened, a raised flag cancels, and the bytes are counted as read.
TEST(Differential, StreamedScanReportsFailureCancelAndBytes) {
  Random random(11);
  std::string text = LongText(random, 200000, 0);
  std::replace(text.begin(), text.end(), '\x1a', '\x1b');  // read to the end
  StreamScanner scanner(4096);
  for (std::size_t fail_at : {std::size_t{0}, std::size_t{5000}, std::size_t{123457}}) {
    korvel::testing::StringSource source(text, 1000, fail_at);
    AddressBatch rows;
    std::atomic<std::uint64_t> counted{0};
    const StreamScanResult result = scanner.Scan(source, text.size(), rows, {nullptr, &counted});
    EXPECT_EQ(result.error, 5);
    EXPECT_EQ(result.bytes_read, fail_at);
    EXPECT_EQ(counted.load(), fail_at);
    std::vector<std::string> streamed;
    for (std::string_view row : rows) streamed.emplace_back(row);
    EXPECT_EQ(streamed, korvel::testing::WholeTextRows(text.substr(0, fail_at)));
  }
  const std::atomic<bool> cancel{true};
  korvel::testing::StringSource source(text, 1000);
  AddressBatch rows;
  rows.Add("left over");
  EXPECT_THROW(scanner.Scan(source, 0, rows, {&cancel, nullptr}), ScanCancelled);
  EXPECT_TRUE(rows.Empty());
  // The scanner is whole again after a cancel.
  korvel::testing::StringSource again(text, 1 << 20);
  EXPECT_EQ(korvel::testing::StreamedRows(scanner, again, 0), korvel::testing::WholeTextRows(text));
}
