// Compares the scanner with the step-by-step reference on many random texts
// made of the pieces that matter to the four passes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reference_scanner.h"
#include "scan/address_scanner.h"
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

}  // namespace

TEST(Differential, PieceTextsMatchTheReference) {
  Random random(20240611);
  for (int round = 0; round < 6000; ++round) {
    ExpectSameAsReference({PieceText(random, 1 + random.Below(100))});
    if (HasFatalFailure()) return;
  }
}

TEST(Differential, DenseTextsMatchTheReference) {
  Random random(77);
  for (int round = 0; round < 6000; ++round) {
    ExpectSameAsReference({DenseText(random, 1 + random.Below(400))});
    if (HasFatalFailure()) return;
  }
}

TEST(Differential, AttributeTextsMatchTheReference) {
  Random random(31);
  for (int round = 0; round < 6000; ++round) {
    ExpectSameAsReference({AttributeText(random, 1 + random.Below(24))});
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
    ExpectSameAsReference({LongText(random, 40000, 0)});
    if (HasFatalFailure()) return;
  }
  ExpectSameAsReference({LongText(random, 1 << 20, 70000), LongText(random, 300000, 0)});
  if (HasFatalFailure()) return;
  for (std::size_t megabytes : {3u, 5u}) {
    ExpectSameAsReference({LongText(random, megabytes << 20, 1 << 17)});
    if (HasFatalFailure()) return;
  }
}
