#include "scan/text_utils.h"

#include <gtest/gtest.h>

#include <string>

using namespace korvel;

namespace {
std::string Trimmed(std::string s, void (*trim)(std::string&)) {
  trim(s);
  return s;
}
}  // namespace

TEST(Trims, StripExactlyTheFiveBlanks) {
  const std::string vt_nul{"\v\0x\0\v", 5};
  for (auto trim : {Trim, TrimLeft, TrimRight}) {
    EXPECT_EQ(Trimmed("", trim), "");
    EXPECT_EQ(Trimmed(" \t\r\n\f", trim), "");
    EXPECT_EQ(Trimmed(vt_nul, trim), vt_nul) << "VT and NUL are not blanks";
  }
  EXPECT_EQ(Trimmed(" \ta b\r\n", Trim), "a b");
  EXPECT_EQ(Trimmed(" \ta b\r\n", TrimLeft), "a b\r\n");
  EXPECT_EQ(Trimmed(" \ta b\r\n", TrimRight), " \ta b");
  EXPECT_EQ(Trimmed("x ", Trim), "x");
  EXPECT_EQ(Trimmed(" x", Trim), "x");
}

TEST(ToLower, ChangesOnlyAsciiLetters) {
  std::string s{"AZaz09@[`{\x80\xC4\xDF\0Q", 15};
  const auto before = s.size();
  ToLower(s);
  EXPECT_EQ(s, std::string("azaz09@[`{\x80\xC4\xDF\0q", 15));
  EXPECT_EQ(s.size(), before);
}

constexpr bool kBackslashSeparates = kNativeSeparator == '\\';

TEST(PathParts, SplitAtThePlatformsSeparators) {
  if constexpr (kBackslashSeparates) {
    EXPECT_EQ(FileNamePart("C:\\a/b\\ name.TXT "), "name.TXT");
    EXPECT_EQ(FileNamePart("dir\\"), "");
    EXPECT_EQ(FolderPart("C:\\a/b\\c.txt"), "C:\\a/b\\");
    EXPECT_EQ(FolderPart("C:/a\\b/c.txt"), "C:/a\\b/");
  } else {
    // A backslash is an ordinary character of a name.
    EXPECT_EQ(FileNamePart("/a/b\\ name.TXT "), "b\\ name.TXT");
    EXPECT_EQ(FileNamePart("dir\\"), "dir\\");
    EXPECT_EQ(FileNamePart("dir/"), "");
    EXPECT_EQ(FolderPart("/a\\b/c\\d.txt"), "/a\\b/");
    EXPECT_EQ(FolderPart("k\\name"), "");
    EXPECT_EQ(FileExtension("a.b\\c"), "b\\c");
  }
  EXPECT_EQ(FileNamePart(" bare "), "bare");
  EXPECT_EQ(FileNamePart(""), "");

  EXPECT_EQ(FileExtension("a.b/c"), "") << "a dot in a folder name is no extension";
  EXPECT_EQ(FileExtension("x.tar.GZ"), "GZ");
  EXPECT_EQ(FileExtension("name."), "");
  EXPECT_EQ(FileExtension(".profile"), "profile");
  EXPECT_EQ(FileExtension("dir/"), "");
  EXPECT_EQ(FileExtension(""), "");

  EXPECT_EQ(FolderPart(" /x/y"), "/x/");
  EXPECT_EQ(FolderPart("bare.txt"), "");
  EXPECT_EQ(FolderPart(""), "");
}

TEST(PathParts, AFolderPathEndsInOneNativeSeparator) {
  EXPECT_EQ(WithFinalSeparator("/x/"), "/x/");
  EXPECT_EQ(WithFinalSeparator("/"), "/");
  EXPECT_EQ(WithFinalSeparator("x"), std::string("x") + kNativeSeparator);
  EXPECT_EQ(WithFinalSeparator("k\\"), kBackslashSeparates ? "k\\" : "k\\/");
}

TEST(ProgramFolder, CutsTheFirstArgumentAtItsLastSeparator) {
  SetProgramArgument("/usr/local/bin/korvel");
  EXPECT_EQ(ProgramFolder(), "/usr/local/bin");
  SetProgramArgument("C:\\Tools\\korvel.exe");
  EXPECT_EQ(ProgramFolder(), kBackslashSeparates ? "C:\\Tools" : "C:\\Tools\\korvel.exe");
  SetProgramArgument("/opt/k\\korvel");
  EXPECT_EQ(ProgramFolder(), kBackslashSeparates ? "/opt/k" : "/opt");
  SetProgramArgument("korvel");
  EXPECT_EQ(ProgramFolder(), "korvel") << "a bare name is returned whole";
  SetProgramArgument("");
  EXPECT_EQ(ProgramFolder(), "");
}
