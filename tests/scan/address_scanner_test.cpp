#include "scan/address_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/char_sets.h"

using namespace korvel;

namespace {

using List = std::vector<std::string>;

List Scan(const std::string& text) {
  AddressScanner scanner;
  scanner.ScanText(text, false);
  return scanner.Addresses();
}

}  // namespace

TEST(CharSets, HoldExactlyTheirMembers) {
  const std::string blanks = " \t\r\f\n";
  const std::string url = blanks + "\"'<>|*()[]{},";
  const std::string mailbox = blanks + "\"'`~!@#$%&*()=+|\\[]{};:<>,?/";
  for (unsigned c = 0; c < 256; ++c) {
    const auto byte = static_cast<unsigned char>(c);
    const bool in_url = c != 0 && url.find(static_cast<char>(c)) != std::string::npos;
    const bool in_mailbox = c != 0 && mailbox.find(static_cast<char>(c)) != std::string::npos;
    EXPECT_EQ(UrlStops.Contains(byte), in_url) << c;
    EXPECT_EQ(MailboxStops.Contains(byte), in_mailbox) << c;
    EXPECT_EQ(HostStops.Contains(byte), in_mailbox || c == '.') << c;
  }
  EXPECT_EQ(UrlStops.Size(), 18u);
  EXPECT_EQ(MailboxStops.Size(), 33u);
  EXPECT_EQ(HostStops.Size(), 34u);
}

TEST(Scanner, ListIsEmptiedOrExtended) {
  AddressScanner scanner;
  EXPECT_TRUE(scanner.IsEmpty());
  scanner.ScanText("see www.a.org and www.b.org", false);
  EXPECT_EQ(scanner.Count(), 2u);
  scanner.ScanText("www.b.org www.c.org", true);
  EXPECT_EQ(scanner.Addresses(), (List{"www.a.org", "www.b.org", "www.c.org"}));
  scanner.ScanText("www.c.org", false);
  EXPECT_EQ(scanner.Addresses(), (List{"www.c.org"}));
  scanner.ScanText("no address here", true);
  EXPECT_EQ(scanner.Count(), 1u);
  scanner.Clear();
  EXPECT_TRUE(scanner.IsEmpty());
  scanner.ScanText("www.c.org", true);
  EXPECT_EQ(scanner.Count(), 1u) << "Clear forgets the duplicate test too";
}

TEST(Scanner, BlankTextYieldsNothing) {
  EXPECT_TRUE(Scan("").empty());
  EXPECT_TRUE(Scan(" \t\r\n\f ").empty());
}

TEST(Scanner, DuplicatesAreExactByteComparisons) {
  EXPECT_EQ(Scan("www.a.org x www.a.org"), (List{"www.a.org"}));
  EXPECT_EQ(Scan("www.a.org x WWW.A.ORG"), (List{"www.a.org", "WWW.A.ORG"}));
}

TEST(PrefixedAddresses, KeepTheirCaseAndStartAtThePrefix) {
  EXPECT_EQ(Scan("see HTTP://Example.COM/X now"), (List{"HTTP://Example.COM/X"}));
  EXPECT_EQ(Scan("xyzhttp://a.b"), (List{"http://a.b"}));
  EXPECT_EQ(Scan("(NeWs:comp.lang) [gopher:x] {telnet:y},wais:z|NNTP:q*file:f"),
            (List{"file:f", "gopher:x", "NeWs:comp.lang", "NNTP:q", "telnet:y", "wais:z"}));
}

TEST(PrefixedAddresses, EndOnlyAtAStopCharacter) {
  EXPECT_EQ(Scan("Visit http://example.com. Then"), (List{"http://example.com."}));
  EXPECT_EQ(Scan("a http://x.org/?a=b;c@d:e\\f g"), (List{"http://x.org/?a=b;c@d:e\\f"}));
  EXPECT_EQ(Scan("<http://a>\"www.b\"'ftp:c'"), (List{"http://a", "ftp:c", "www.b"}));
}

TEST(PrefixedAddresses, PrefixAloneIsAnAddress) {
  EXPECT_EQ(Scan("http: see"), (List{"http:"}));
  EXPECT_EQ(Scan("the end www."), (List{"www."}));
}

TEST(PrefixedAddresses, DotDotSlashIsTakenBeforeTheUrlAroundIt) {
  EXPECT_EQ(Scan("go http://host/a/../b now"), (List{"../b", "http://host/a/"}));
}

TEST(PrefixedAddresses, AnAddressIsFoundOnlyOnce) {
  EXPECT_EQ(Scan("http://www.example.com/"), (List{"http://www.example.com/"}));
  EXPECT_EQ(Scan("mailto:joe@example.com"), (List{"mailto:joe@example.com"}));
  EXPECT_EQ(Scan("https://a.b/ http://c.d/"), (List{"http://c.d/", "https://a.b/"}));
  EXPECT_EQ(Scan("newsrc:a news:b"), (List{"news:b", "newsrc:a"}));
}

TEST(MailAddresses, NeedAMailboxAndADottedHost) {
  EXPECT_EQ(Scan("write to first.last@mail.example.org today"),
            (List{"first.last@mail.example.org"}));
  EXPECT_EQ(Scan("<joe@b.com>, x"), (List{"joe@b.com"}));
  EXPECT_TRUE(Scan("a @b.com").empty());
  EXPECT_TRUE(Scan("joe@localhost now").empty());
  EXPECT_TRUE(Scan("joe@host").empty());
  EXPECT_EQ(Scan("joe@."), (List{"joe@."})) << "a host may be just its full stop";
}

TEST(MailAddresses, SentenceFullStopStaysWithTheHost) {
  EXPECT_EQ(Scan("Mail joe@b.com. Bye"), (List{"joe@b.com."}));
}

TEST(MailAddresses, MailboxMayNotStartWithAFullStopBehindAStop) {
  EXPECT_TRUE(Scan("x .joe@b.com").empty());
  // With no stop in front, the mailbox starts the text, full stop or not.
  EXPECT_EQ(Scan(".joe@b.com"), (List{".joe@b.com"}));
}

TEST(MailAddresses, AtSignAtTheStartIsNeverExamined) {
  EXPECT_TRUE(Scan("@b.com").empty());
  EXPECT_TRUE(Scan("  @b.com").empty()) << "the text is trimmed first";
  EXPECT_EQ(Scan("@b.com x@c.org"), (List{"x@c.org"}));
}

TEST(MailAddresses, TwoAddressesBackToBack) {
  // The first ends at the second "@", which then has a blanked mailbox.
  EXPECT_EQ(Scan("a@b.c@d.e"), (List{"a@b.c"}));
}

TEST(DrivePaths, NeedAStopOneLetterAColonAndASeparator) {
  EXPECT_EQ(Scan("see C:\\Windows\\System32 now"), (List{"C:\\Windows\\System32"}));
  EXPECT_EQ(Scan("(c:/tmp/x.txt)"), (List{"c:/tmp/x.txt"}));
  EXPECT_TRUE(Scan("C:\\x y").empty()) << "no stop in front of the letter";
  EXPECT_TRUE(Scan("see AB:\\x").empty());
  EXPECT_TRUE(Scan("see 1:\\x").empty());
  EXPECT_TRUE(Scan("see c:x").empty());
  EXPECT_TRUE(Scan("see c:").empty());
}

TEST(DrivePaths, EndAtTheFirstBlank) {
  EXPECT_EQ(Scan("see C:\\Program Files\\x"), (List{"C:\\Program"}));
}

TEST(LinkValues, AreTakenOnlyWhenQuoted) {
  EXPECT_TRUE(Scan("<a href=foo.html>").empty());
  EXPECT_TRUE(Scan("<a href=\"   \">").empty());
  EXPECT_EQ(Scan("<a HREF = \" foo.html \">"), (List{"foo.html"}));
  EXPECT_EQ(Scan("<img src='p.png' alt=\"x\">"), (List{"p.png"}));
  EXPECT_EQ(Scan("<a href=\"\">"), List{});
}

TEST(LinkValues, BackslashedQuoteDoesNotEndTheValue) {
  EXPECT_EQ(Scan("<a href=\"say \\\"hi\\\" now\">"), (List{"say \\\"hi\\\" now"}));
}

TEST(LinkValues, EscapeIsJudgedOnTheBlankedText) {
  // The backslash belongs to a drive path taken earlier, so it no longer
  // escapes the quote behind it.
  EXPECT_EQ(Scan("<a href=\"a C:\\\" b\">"), (List{"C:\\", "a C:\\"}));
}

TEST(LinkValues, SearchGoesOnAfterAFailedOccurrence) {
  EXPECT_EQ(Scan("href=\"x href='y'"), (List{"y"}));
  EXPECT_EQ(Scan("href x href=\"y\""), (List{"y"}));
  EXPECT_EQ(Scan("href= x href=\"y\""), (List{"y"}));
}

TEST(LinkValues, NameMayEndALongerWord) {
  EXPECT_EQ(Scan("<div metadata=\"abc\">"), (List{"abc"}));
}

TEST(LinkValues, ValueIsCutWholeFromTheUnchangedText) {
  EXPECT_EQ(Scan("<a href=\"http://x.org/\">"), (List{"http://x.org/"}));
  EXPECT_EQ(Scan("<a href=\"see http://x.org/\">"), (List{"http://x.org/", "see http://x.org/"}));
}

TEST(LinkValues, AnEarlierAddressMayStandBetweenNameAndEquals) {
  // Blanked, the address counts as blanks in front of the "=".
  EXPECT_EQ(Scan("cite www.x ='v'"), (List{"www.x", "v"}));
}

TEST(LinkValues, AnEmailAddressRightBeforeTheEqualsCountsAsBlanks) {
  EXPECT_EQ(Scan("cite joe@x.us='v'"), (List{"joe@x.us", "v"}));
  EXPECT_EQ(Scan("xcite joe@x.tv=\"v\" class=\"w\""), (List{"joe@x.tv", "v"}));
}

TEST(LinkValues, FollowTableOrder) {
  EXPECT_EQ(Scan("<img src=\"b\" data=\"a\">"), (List{"a", "b"}));
}

TEST(Scanner, WorkedExampleGivesSevenEntriesInOrder) {
  const std::string text =
      "<a href=\"HTTP://EXAMPLE.COM/INDEX.HTML\">Home</a> see www.example.org, "
      "../docs/guide.html<br><img src=\" ../img/logo.png \"> (C:\\Docs\\readme.txt) "
      "<form action=\"search.cgi?q=ftp://ftp.example.net/pub\">";
  EXPECT_EQ(Scan(text),
            (List{"../docs/guide.html", "../img/logo.png", "HTTP://EXAMPLE.COM/INDEX.HTML",
                  "ftp://ftp.example.net/pub", "www.example.org", "C:\\Docs\\readme.txt",
                  "search.cgi?q=ftp://ftp.example.net/pub"}));
}
