// Runs the real korvel-sweep on trees made by each test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/sweep_job.h"
#include "korvel_version.h"
#include "tests/support/files.h"
#include "tests/support/temp_tree.h"

namespace korvel {
namespace {

using testing::ReadAll;
using testing::TempTree;
using Strings = std::vector<std::string>;

struct Result {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  int signal = 0;   // the signal that ended it, if one did
  std::string out, err;
};

// How the child is started.
struct Limits {
  rlim_t file_size = RLIM_INFINITY;
  rlim_t address_space = RLIM_INFINITY;
  rlim_t open_files = RLIM_INFINITY;
  rlim_t stack = RLIM_INFINITY;
  int out_fd = -1;  // standard output, instead of a file read back
  bool close_stderr = false;
};

// Runs korvel-sweep with `args`. The child is killed if it runs for more than
// a minute, so a sweep that blocks fails instead of hanging the suite.
Result Sweep(const Strings& args, const Limits& limits = {}) {
  TempTree capture;
  const std::string out_path = capture.Path("out"), err_path = capture.Path("err");
  const pid_t child = fork();
  if (child == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int null = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || null < 0) _exit(127);
    dup2(null, 0);
    dup2(limits.out_fd >= 0 ? limits.out_fd : out, 1);
    dup2(err, 2);
    if (limits.close_stderr) close(2);
    if (limits.file_size != RLIM_INFINITY) {
      rlimit limit{limits.file_size, limits.file_size};
      setrlimit(RLIMIT_FSIZE, &limit);
      signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing
    }
    for (const auto& [resource, value] :
         {std::pair{RLIMIT_NOFILE, limits.open_files}, std::pair{RLIMIT_STACK, limits.stack}}) {
      rlimit limit{value, value};
      if (value != RLIM_INFINITY) setrlimit(resource, &limit);
    }
    if (limits.address_space != RLIM_INFINITY) {
      rlimit limit{limits.address_space, limits.address_space};
      setrlimit(RLIMIT_AS, &limit);
    }
    alarm(60);
    std::vector<char*> argv{const_cast<char*>(KORVEL_SWEEP_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  Result result;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child) {
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  }
  result.out = ReadAll(out_path);
  result.err = ReadAll(err_path);
  return result;
}

Strings Names(const std::string& folder) {
  Strings names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class KorvelSweepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.File("site/index.htm", "<a href=\"http://one.example/\">x</a> www.two.example, ok\r\n");
    tree.File("site/notes.txt", "write to someone@mail.example\n");
    tree.File("site/sub/page.html", "ftp://three.example");
    tree.File("site/empty.txt", "");
  }
  std::string P(const std::string& relative) const { return tree.Path(relative); }
  TempTree tree;
};

// --- Formats -------------------------------------------------------------

TEST_F(KorvelSweepTest, TsvListsRowsInWalkOrder) {
  const Result r = Sweep({P("site")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "http://one.example/\t" + P("site/index.htm") + "\n" + "www.two.example\t" +
                       P("site/index.htm") + "\n" + "someone@mail.example\t" + P("site/notes.txt") +
                       "\n" + "ftp://three.example\t" + P("site/sub/page.html") + "\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(KorvelSweepTest, TsvEscapesBackslashTabNewlineAndCarriageReturnInBothFields) {
  const std::string name = "site/odd\tname\nwith\\back\rslash.txt";
  tree.File(name, "see C:\\dir\\file.txt <a href='one\ttwo\nthree'>");
  const Result r = Sweep({P(name)});
  const std::string location = P("site/odd\\tname\\nwith\\\\back\\rslash.txt");
  EXPECT_EQ(r.out,
            "C:\\\\dir\\\\file.txt\t" + location + "\n" + "one\\ttwo\\nthree\t" + location + "\n");
}

TEST_F(KorvelSweepTest, ExportWritesAddressesOnlyEachEndedByCrLf) {
  tree.File("site/lf.htm", "<a href=\"first\nsecond\">");
  const Result r = Sweep({"--format", "export", P("site/lf.htm"), P("site/index.htm")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "first\r\nsecond\r\nhttp://one.example/\r\nwww.two.example\r\n");
}

TEST_F(KorvelSweepTest, JsonGivesTextThatIsNotUtf8AsBase64Bytes) {
  tree.File("site/caf\xE9.txt",
            "http://caf\xE9.example <a href='say \"hi\"\x01'> http://\xC3\xA9t\xC3\xA9");
  const Result r = Sweep({"-f", "json", P("site/caf\xE9.txt")});
  std::string location = P("site/caf\xE9.txt");
  // The location's bytes, base64-encoded, are checked through a known tail.
  EXPECT_EQ(r.status, 0);
  const std::string bytes_location_prefix = "\"location\":{\"bytes\":\"";
  Strings lines;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u) << r.out;
  EXPECT_EQ(
      lines[0].rfind(
          "{\"address\":{\"bytes\":\"aHR0cDovL2NhZukuZXhhbXBsZQ==\"}," + bytes_location_prefix, 0),
      0u)
      << lines[0];
  EXPECT_EQ(lines[1].rfind("{\"address\":\"http://\xC3\xA9t\xC3\xA9\",", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("{\"address\":\"say \\\"hi\\\"\\u0001\",", 0), 0u) << lines[2];
  for (const std::string& line : lines) EXPECT_EQ(line.back(), '}');

  tree.File("site/plain.txt", "mailto:a\\b");
  EXPECT_EQ(Sweep({"-f", "json", P("site/plain.txt")}).out,
            "{\"address\":\"mailto:a\\\\b\",\"location\":\"" + P("site/plain.txt") +
                "\",\"kind\":\"prefixed\"}\n");
}

TEST_F(KorvelSweepTest, OutputLargerThanOneBufferArrivesWhole) {
  std::string text;
  for (int i = 0; i < 60000; ++i) text += "http://host.example/page/" + std::to_string(i) + "\n";
  tree.File("big/links.txt", text);
  const Result r = Sweep({"-f", "export", P("big")});
  EXPECT_EQ(r.status, 0);
  std::string expected;
  for (int i = 0; i < 60000; ++i)
    expected += "http://host.example/page/" + std::to_string(i) + "\r\n";
  EXPECT_EQ(r.out.size(), expected.size());
  EXPECT_TRUE(r.out == expected);
}

// --- Row fields: kind, line, offset, count, --unique -----------------------

// Files of addresses of every kind from a small pool, each address standing
// between blanks, with LF and CR LF line ends; one file spans several of the
// scanner's 4 MB chunks. Each pool entry is no part of another.
struct Planted {
  std::string address, kind;
};

std::vector<Planted> Pool() {
  std::vector<Planted> pool;
  for (int i = 10; i < 22; ++i) {
    const std::string n = std::to_string(i);
    pool.push_back({"http://h" + n + ".example/p", "prefixed"});
    pool.push_back({"u" + n + "@m" + n + ".example", "email"});
    pool.push_back({"C:\\d" + n + "\\f.txt", "drive"});
    pool.push_back({"page" + n + ".html", "link"});
  }
  return pool;
}

// Path → text of the generated files.
std::map<std::string, std::string> MakeDifferentialTree(const TempTree& tree) {
  const std::vector<Planted> pool = Pool();
  std::mt19937 random(21);
  std::map<std::string, std::string> files;
  for (int f = 0; f < 12; ++f) {
    const std::size_t pieces = f == 5 ? 300000 : 1 + random() % 400;
    // A drive path needs a stop before its letter, which the text start is not.
    std::string text = f % 2 ? "\r\n  lead " : "lead ";
    for (std::size_t i = 0; i < pieces; ++i) {
      // Few addresses per file, so most recur; in the large file new ones
      // keep coming, so that first occurrences lie in every chunk.
      const std::size_t pick =
          f == 5 ? i * pool.size() / pieces + random() % 2 : f * 3 + random() % 9;
      const Planted& planted = pool[pick % pool.size()];
      if (planted.kind == "link")
        text += "<a href=\"" + planted.address + "\">x</a>";
      else
        text += planted.address;
      static const char* const kBlanks[] = {" ", "\n", "\r\n", "\t", " word "};
      text += kBlanks[random() % 5];
    }
    const std::string path =
        tree.File("diff/" + std::to_string(f % 3) + "/f" + std::to_string(f), text);
    files[path] = text;
  }
  return files;
}

struct Counted {
  std::uint64_t line = 0, offset = 0, count = 0;
};

// The first occurrence and the occurrences of each pool address in `text`,
// by plain search.
std::map<std::string, Counted> Recount(const std::string& text) {
  std::map<std::string, Counted> found;
  for (const Planted& planted : Pool()) {
    std::size_t at = text.find(planted.address);
    if (at == std::string::npos) continue;
    Counted& c = found[planted.address];
    c.offset = at;
    c.line = 1 + std::count(text.begin(), text.begin() + at, '\n');
    for (; at != std::string::npos; at = text.find(planted.address, at + 1)) ++c.count;
  }
  return found;
}

// TSV lines as fields, "\\" read back as "\".
std::vector<Strings> TsvRows(const std::string& out) {
  std::vector<Strings> rows;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    Strings fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\t')
        fields.emplace_back();
      else if (line[i] == '\\' && i + 1 < line.size() && line[++i] == '\\')
        fields.back() += '\\';
      else
        fields.back() += line[i];
    }
    rows.push_back(fields);
  }
  return rows;
}

// Runs with -j1 and -j2, expects the same bytes, and returns them.
std::string SweepBothWays(Strings args) {
  args.insert(args.begin(), {"-j", "1"});
  const Result one = Sweep(args);
  EXPECT_EQ(one.status, 0) << one.err;
  args[1] = "2";
  const Result two = Sweep(args);
  EXPECT_TRUE(one.out == two.out);
  return one.out;
}

TEST_F(KorvelSweepTest, LineNumberAndCountMatchARecountOfEveryFile) {
  const auto files = MakeDifferentialTree(tree);
  const std::vector<Strings> rows = TsvRows(SweepBothWays({"-n", "--count", P("diff")}));
  std::map<std::string, std::map<std::string, Counted>> seen;
  for (const Strings& row : rows) {
    ASSERT_EQ(row.size(), 5u);
    seen[row[1]][row[0]] = {std::stoull(row[2]), std::stoull(row[3]), std::stoull(row[4])};
  }
  ASSERT_EQ(seen.size(), files.size());
  std::size_t expected_rows = 0;
  for (const auto& [path, text] : files) {
    const auto expected = Recount(text);
    expected_rows += expected.size();
    for (const auto& [address, c] : expected) {
      const Counted& got = seen[path][address];
      EXPECT_EQ(got.line, c.line) << path << " " << address;
      EXPECT_EQ(got.offset, c.offset) << path << " " << address;
      EXPECT_EQ(got.count, c.count) << path << " " << address;
    }
  }
  EXPECT_EQ(rows.size(), expected_rows);
  // Either option alone gives its own fields, as the two together do.
  const std::vector<Strings> place = TsvRows(Sweep({"-n", P("diff")}).out);
  const std::vector<Strings> count = TsvRows(Sweep({"--count", P("diff")}).out);
  ASSERT_EQ(place.size(), rows.size());
  ASSERT_EQ(count.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(place[i], Strings(rows[i].begin(), rows[i].begin() + 4));
    EXPECT_EQ(count[i], (Strings{rows[i][0], rows[i][1], rows[i][4]}));
  }
}

TEST_F(KorvelSweepTest, JsonNamesThePassThatFoundEachAddress) {
  const auto files = MakeDifferentialTree(tree);
  std::map<std::string, std::string> kinds;
  for (const Planted& planted : Pool()) kinds[planted.address] = planted.kind;
  // A link value that is also a prefixed address is the prefixed one's.
  tree.File("diff/both.htm", "<a href=\"http://both.example/\">");
  kinds["http://both.example/"] = "prefixed";
  const std::string out = SweepBothWays({"-f", "json", "-n", P("diff")});
  std::istringstream in(out);
  std::size_t lines = 0;
  const std::regex row(
      R"re(\{"address":"([^"]*)","location":"[^"]*","kind":"(\w+)","line":\d+,"offset":\d+\})re");
  for (std::string line; std::getline(in, line); ++lines) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, row)) << line;
    std::string address = m[1];
    for (std::size_t at; (at = address.find("\\\\")) != std::string::npos;) address.erase(at, 1);
    EXPECT_EQ(m[2], kinds[address]) << address;
  }
  EXPECT_EQ(lines, TsvRows(Sweep({P("diff")}).out).size());
}

TEST_F(KorvelSweepTest, UniqueListsEachAddressOnceAtItsFirstRowWithSweepCounts) {
  const auto files = MakeDifferentialTree(tree);
  const std::vector<Strings> plain = TsvRows(Sweep({P("diff")}).out);
  std::vector<Strings> first;
  std::set<std::string> met;
  for (const Strings& row : plain)
    if (met.insert(row[0]).second) first.push_back(row);
  EXPECT_EQ(TsvRows(SweepBothWays({"--unique", P("diff")})), first);

  // With --count: occurrences and files over the whole sweep.
  std::map<std::string, Counted> total;  // count: occurrences, line: files
  for (const auto& [path, text] : files)
    for (const auto& [address, c] : Recount(text)) {
      total[address].count += c.count;
      ++total[address].line;
    }
  const std::vector<Strings> counted = TsvRows(SweepBothWays({"--unique", "--count", P("diff")}));
  ASSERT_EQ(counted.size(), first.size());
  for (std::size_t i = 0; i < counted.size(); ++i) {
    EXPECT_EQ(counted[i][0], first[i][0]);
    EXPECT_EQ(counted[i][1], first[i][1]);
    EXPECT_EQ(std::stoull(counted[i][2]), total[first[i][0]].count) << first[i][0];
    EXPECT_EQ(std::stoull(counted[i][3]), total[first[i][0]].line) << first[i][0];
  }

  // Past the limit, new addresses come each time, and a warning says so once.
  const Result limited = Sweep({"--unique", "--unique-limit", "3", P("diff")});
  std::vector<Strings> expected;
  std::set<std::string> kept;
  for (const Strings& row : plain) {
    if (kept.count(row[0]) != 0) continue;
    if (kept.size() < 3) kept.insert(row[0]);
    expected.push_back(row);
  }
  EXPECT_EQ(TsvRows(limited.out), expected);
  EXPECT_EQ(limited.err,
            "korvel-sweep: --unique: more than 3 distinct addresses; later new ones are written "
            "each time they occur\n");
}

TEST_F(KorvelSweepTest, CsvQuotesAsRfc4180AndKeepsBytes) {
  tree.File("c,sv/a.htm", "<a href='x,\"y\"'> http://caf\xE9.example\r\nhttp://caf\xE9.example");
  const std::string location = "\"" + P("c,sv/a.htm") + "\"";
  EXPECT_EQ(SweepBothWays({"-f", "csv", P("c,sv")}), "address,location\r\nhttp://caf\xE9.example," +
                                                         location + "\r\n\"x,\"\"y\"\"\"," +
                                                         location + "\r\n");
  EXPECT_EQ(Sweep({"-f", "csv", "-n", "--count", "--unique", P("c,sv")}).out,
            "address,location,line,offset,count,files\r\nhttp://caf\xE9.example," + location +
                ",1,17,2,1\r\n\"x,\"\"y\"\"\"," + location + ",1,9,1,1\r\n");
  // The export has no fields to add.
  EXPECT_EQ(Sweep({"-f", "export", "-n", P("c,sv")}).status, 2);
}

// --- Options --------------------------------------------------------------

TEST_F(KorvelSweepTest, FieldsAndLocalSwitchNarrowTheFolderSweep) {
  EXPECT_EQ(Sweep({"-l", "-e", "HTM, html", P("site")}).out,
            "http://one.example/\t" + P("site/index.htm") + "\nwww.two.example\t" +
                P("site/index.htm") + "\n");
  EXPECT_EQ(Sweep({"-e", "html", P("site")}).out,
            "ftp://three.example\t" + P("site/sub/page.html") + "\n");
  EXPECT_EQ(Sweep({"--keywords=note", P("site/")}).out,
            "someone@mail.example\t" + P("site/notes.txt") + "\n");
  EXPECT_EQ(Sweep({"--extensions=-all", P("site")}).out, Sweep({P("site")}).out);
}

TEST_F(KorvelSweepTest, AFolderWhoseNameEndsInABackslashIsSweptItself) {
  tree.File("k\\/own.txt", "www.own.example");
  tree.File("k\\sibling.txt", "www.sibling.example");
  const Result r = Sweep({P("k\\")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "www.own.example\t" + P("k\\\\/own.txt") + "\n");
}

TEST_F(KorvelSweepTest, SeveralPathsAreSweptInOrderEvenTwice) {
  const Result r = Sweep({P("site/sub"), P("site/notes.txt"), P("site/sub/page.html")});
  EXPECT_EQ(r.out, "ftp://three.example\t" + P("site/sub/page.html") + "\n" +
                       "someone@mail.example\t" + P("site/notes.txt") + "\n" +
                       "ftp://three.example\t" + P("site/sub/page.html") + "\n");
}

TEST_F(KorvelSweepTest, VersionAndHelp) {
  const Result version = Sweep({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "korvel-sweep " KORVEL_VERSION "\n");
  const Result help = Sweep({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Examples:"), std::string::npos);
}

// --- Exit status ------------------------------------------------------------

TEST_F(KorvelSweepTest, UsageErrorsExitWithTwo) {
  for (const Strings& args :
       {Strings{}, Strings{"-f", "xml", P("site")}, Strings{"--bogus", P("site")},
        Strings{"-o", "", P("site")}, Strings{"-0", P("site")}}) {
    const Result r = Sweep(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
}

TEST_F(KorvelSweepTest, AMissingPathIsNamedAndTheOthersAreStillSwept) {
  const Result r = Sweep({P("nowhere"), P("site/notes.txt")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(P("nowhere")), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "someone@mail.example\t" + P("site/notes.txt") + "\n");
}

TEST_F(KorvelSweepTest, InvalidFieldTextRefusesEachFolderButNotAFile) {
  const Result r = Sweep({"-k", "a:b", P("site"), P("site/notes.txt"), P("site/sub")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "someone@mail.example\t" + P("site/notes.txt") + "\n");
  const std::string warning = "The Keywords/Extensions fields contain invalid characters.";
  EXPECT_NE(r.err.find(P("site") + ": " + warning), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(P("site/sub") + ": " + warning), std::string::npos) << r.err;
  EXPECT_EQ(Sweep({"-e", "*.txt", P("site")}).status, 2);
  // Files alone: swept, but the fields are still refused once.
  const Result files = Sweep({"-k", "a*", P("site/notes.txt")});
  EXPECT_EQ(files.status, 2);
  EXPECT_EQ(files.out, "someone@mail.example\t" + P("site/notes.txt") + "\n");
  EXPECT_EQ(files.err, "korvel-sweep: -k/-e: " + warning + "\n");
}

TEST_F(KorvelSweepTest, WarningsEscapePathBytesAsTsvFieldsAre) {
  const Result r = Sweep({P("no\nsuch\x1b[31m\\name")});
  EXPECT_EQ(r.err, "korvel-sweep: " + P("no\\nsuch\\x1B[31m\\\\name") + ": " +
                       std::strerror(ENOENT) + "\n");
  tree.File("lists/nul", P("cut") + std::string(1, '\0') + "here\n");
  const Result nul = Sweep({"--files-from", P("lists/nul")});
  EXPECT_EQ(nul.status, 2);
  EXPECT_EQ(nul.err, "korvel-sweep: " + P("cut") + "\\x00here: holds a NUL byte\n");
}

TEST_F(KorvelSweepTest, EmptyFilesAndFoldersAreSweptWithoutRows) {
  tree.Folder("hollow/inner");
  tree.File("hollow/zero.txt");
  const Result r = Sweep({P("hollow"), P("hollow/zero.txt")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

// --- Output file --------------------------------------------------------------

TEST_F(KorvelSweepTest, OutputFileIsReplacedAndNothingElseIsLeft) {
  tree.File("out/links.tsv", "old content\n");
  const Result r = Sweep({"-o", P("out/links.tsv"), P("site/notes.txt")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadAll(P("out/links.tsv")), "someone@mail.example\t" + P("site/notes.txt") + "\n");
  EXPECT_EQ(Names(P("out")), (Strings{"links.tsv"}));

  EXPECT_EQ(Sweep({"-f", "export", "-o", P("out/new.txt"), P("site/notes.txt")}).status, 0);
  EXPECT_EQ(ReadAll(P("out/new.txt")), "someone@mail.example\r\n");
  EXPECT_EQ(Names(P("out")), (Strings{"links.tsv", "new.txt"}));
}

TEST_F(KorvelSweepTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "http://host.example/" + std::to_string(i) + "\n";
  tree.File("big/links.txt", text);
  tree.File("out/links.tsv", "old content\n");
  Limits limits;
  limits.file_size = 64 * 1024;  // far less than the rows
  const Result r = Sweep({"-o", P("out/links.tsv"), P("big")}, limits);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(P("out/links.tsv") + ": " + std::strerror(EFBIG)), std::string::npos)
      << r.err;
  EXPECT_EQ(ReadAll(P("out/links.tsv")), "old content\n");
  EXPECT_EQ(Names(P("out")), (Strings{"links.tsv"}));
}

TEST_F(KorvelSweepTest, AReadOnlyTargetIsKeptAndADanglingLinkLeadsToTheFileWritten) {
  tree.File("out/kept.tsv", "old content\n");
  ASSERT_EQ(chmod(P("out/kept.tsv").c_str(), 0444), 0);
  const Result kept = Sweep({"-o", P("out/kept.tsv"), P("site/notes.txt")});
  EXPECT_EQ(kept.status, 2);
  EXPECT_EQ(kept.err, "korvel-sweep: " + P("out/kept.tsv") + ": is read-only\n");
  EXPECT_EQ(ReadAll(P("out/kept.tsv")), "old content\n");

  ASSERT_EQ(symlink("made.tsv", P("out/link.tsv").c_str()), 0);
  EXPECT_EQ(Sweep({"-o", P("out/link.tsv"), P("site/notes.txt")}).status, 0);
  struct stat st {};
  ASSERT_EQ(lstat(P("out/link.tsv").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link itself stays";
  EXPECT_EQ(ReadAll(P("out/made.tsv")), "someone@mail.example\t" + P("site/notes.txt") + "\n");
}

TEST_F(KorvelSweepTest, AClosedStandardErrorGetsNoFileOfTheSweep) {
  Limits closed;
  closed.close_stderr = true;
  const Result r = Sweep({"-o", P("out.tsv"), P("nowhere"), P("site/notes.txt")}, closed);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(ReadAll(P("out.tsv")), "someone@mail.example\t" + P("site/notes.txt") + "\n");
}

TEST_F(KorvelSweepTest, TheOutputFileIsNotSweptIntoItself) {
  tree.File("self/a.txt", "http://a.example\n");
  const std::string row = "http://a.example\t" + P("self/a.txt") + "\n";
  const Result to_file = Sweep({"-o", P("self/zz.tsv"), P("self")});
  EXPECT_EQ(to_file.status, 0) << to_file.err;
  EXPECT_EQ(ReadAll(P("self/zz.tsv")), row);
  EXPECT_NE(to_file.err.find(": is the output file, not swept\n"), std::string::npos);
  // The same for a shell's redirection into the tree.
  const int out = open(P("self/redirected.tsv").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  Limits redirected;
  redirected.out_fd = out;
  const Result to_stdout = Sweep({"--no-progress", P("self")}, redirected);
  close(out);
  EXPECT_EQ(to_stdout.status, 0) << to_stdout.err;
  EXPECT_EQ(to_stdout.err,
            "korvel-sweep: " + P("self/redirected.tsv") + ": is the output file, not swept\n");
}

TEST_F(KorvelSweepTest, AnOutputThatCannotBeCreatedStopsBeforeSweeping) {
  for (const std::string& target : {P("no/such/folder/out.tsv"), P("site")}) {
    const Result r = Sweep({"-o", target, P("site")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(target), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(P("no")));
}

// --- Hostile trees ------------------------------------------------------------

TEST_F(KorvelSweepTest, LinksFifosAndSocketsDoNotStopOrLoopTheWalk) {
  tree.File("hostile/a/real.txt", "http://real.example");
  ASSERT_EQ(symlink("..", P("hostile/a/b").c_str()), 0);
  ASSERT_EQ(symlink("real.txt", P("hostile/a/link.txt").c_str()), 0);
  ASSERT_EQ(mkfifo(P("hostile/a/fifo").c_str(), 0600), 0);
  tree.Socket("hostile/a/sock");

  const Result r = Sweep({P("hostile")});
  EXPECT_EQ(r.status, 0) << r.err;
  // A link that leads to a regular file is swept under its own name.
  EXPECT_EQ(r.out, "http://real.example\t" + P("hostile/a/link.txt") + "\n" +
                       "http://real.example\t" + P("hostile/a/real.txt") + "\n");
  const Result fifo = Sweep({P("hostile/a/fifo")});
  EXPECT_EQ(fifo.status, 2);
  EXPECT_NE(fifo.err.find("neither a file nor a folder"), std::string::npos);
}

TEST_F(KorvelSweepTest, ADeepTreeNeedsFewDescriptorsAndLittleStack) {
  // 5,000 levels, deeper than PATH_MAX, under 32 descriptors and 1 MiB of
  // stack: a walk that kept a descriptor or a frame per level fails here.
  constexpr int kDepth = 5000;
  tree.File("deep/top.txt", "www.top.example");
  int fd = open(P("deep").c_str(), O_RDONLY | O_DIRECTORY);
  std::string bottom = P("deep/");
  for (int level = 0; level < kDepth && fd >= 0; ++level) {
    const int parent = fd;
    fd = mkdirat(parent, "d", 0700) == 0 ? openat(parent, "d", O_RDONLY | O_DIRECTORY) : -1;
    close(parent);
    bottom += "d/";
  }
  ASSERT_GE(fd, 0);
  const int file = openat(fd, "x.txt", O_WRONLY | O_CREAT, 0600);
  ASSERT_EQ(write(file, "www.deep.example", 16), 16);
  close(file);
  close(fd);
  const Result r = Sweep({"-j", "2", P("deep")}, Limits{.open_files = 32, .stack = 1 << 20});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "www.deep.example\t" + bottom + "x.txt\n" + "www.top.example\t" +
                       P("deep/top.txt") + "\n");
  // rm takes trees deeper than a path may be long.
  EXPECT_EQ(std::system(("rm -rf '" + P("deep") + "'").c_str()), 0);
}

TEST_F(KorvelSweepTest, StatsCountWhatWasPassedOverSoThatTheFiguresAddUp) {
  tree.File("odd/real.txt", "http://real.example");
  ASSERT_EQ(mkfifo(P("odd/fifo").c_str(), 0600), 0);
  tree.Socket("odd/sock");
  ASSERT_EQ(symlink("nowhere", P("odd/dangling").c_str()), 0);
  const Result stats = Sweep({"--stats", "--no-progress", P("odd")});
  EXPECT_NE(stats.err.find(": 1 files swept, 3 passed over, "), std::string::npos) << stats.err;
}

TEST_F(KorvelSweepTest, UnprivilegedUnreadableFolderOrFileIsNamedAndTheWalkGoesOn) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  tree.File("locked/1/one.txt", "http://one.example");
  tree.File("locked/2/two.txt", "http://two.example");
  tree.File("locked/3/three.txt", "http://three.example");
  tree.File("locked/4.txt", "http://four.example");
  ASSERT_EQ(chmod(P("locked/2").c_str(), 0), 0);
  ASSERT_EQ(chmod(P("locked/4.txt").c_str(), 0), 0);
  const std::string rows = "http://one.example\t" + P("locked/1/one.txt") + "\n" +
                           "http://three.example\t" + P("locked/3/three.txt") + "\n";
  for (const char* threads : {"1", "3"}) {
    const Result r = Sweep({"-j", threads, P("locked")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, rows);
    EXPECT_EQ(r.err,
              "korvel-sweep: " + P("locked/2/") + ": cannot list folder (Permission denied)\n" +
                  "korvel-sweep: " + P("locked/4.txt") + ": cannot open (Permission denied)\n");
  }
  const Result quiet = Sweep({"-q", P("locked")});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.err, "");
}

// --- Threads, lists and streaming ------------------------------------------------

// A tree of a few hundred files with rows of every kind, in several folders.
void MakeWideTree(const TempTree& tree, const std::string& top) {
  for (int i = 0; i < 300; ++i) {
    std::string text;
    for (int k = 0; k <= i % 7; ++k)
      text += "http://h" + std::to_string(i * 7 + k) + ".example/ x" + std::to_string(k) +
              "@m.example\r\n";
    static const char odd[] = "www.nul\0cut.example <a href='q\tv'> C:\\d\\e";
    if (i % 11 == 0) text += std::string(odd, sizeof odd - 1);
    tree.File(
        top + "/" + std::to_string(i % 5) + "/f" + std::to_string(i) + (i % 3 ? ".txt" : ".htm"),
        text);
  }
}

TEST_F(KorvelSweepTest, EveryThreadCountWritesTheSameBytes) {
  MakeWideTree(tree, "wide");
  for (const Strings& options :
       {Strings{}, Strings{"-f", "json", "-e", "htm"}, Strings{"-f", "export", "-k", "f1"},
        Strings{"-f", "csv", "-n", "--count"}, Strings{"--unique", "--count", "-n"}}) {
    Strings args = options;
    args.insert(args.end(), {P("wide"), P("site/notes.txt"), P("site")});
    Strings one = args;
    one.insert(one.begin(), {"-j", "1"});
    const Result expected = Sweep(one);
    ASSERT_EQ(expected.status, 0) << expected.err;
    ASSERT_GT(expected.out.size(), 1000u);
    for (const char* threads : {"2", "3", "8"}) {
      Strings many = args;
      many.insert(many.begin(), {"--threads", threads});
      const Result r = Sweep(many);
      EXPECT_EQ(r.status, 0);
      EXPECT_TRUE(r.out == expected.out) << threads;
    }
  }
}

TEST_F(KorvelSweepTest, FilesFromListsAreSweptAfterTheArgumentsLikeThem) {
  const Strings listed{P("site/sub"), P("site/notes.txt"), P("site/index.htm")};
  std::string lf, nul;
  for (const std::string& path : listed) {
    lf += path + (&path == &listed[1] ? "\r\n" : "\n");
    nul += path + std::string(1, '\0');
  }
  tree.File("lists/lf", lf);
  tree.File("lists/nul", nul);
  const Result expected = Sweep({P("site/empty.txt"), listed[0], listed[1], listed[2]});
  ASSERT_EQ(expected.status, 0);
  EXPECT_EQ(Sweep({"--files-from", P("lists/lf"), P("site/empty.txt")}).out, expected.out);
  EXPECT_EQ(Sweep({"-0", "--files-from", P("lists/nul"), P("site/empty.txt")}).out, expected.out);
  const Result missing = Sweep({"--files-from", P("lists/none")});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find(P("lists/none")), std::string::npos);
}

TEST_F(KorvelSweepTest, AListIsSweptAsItComesAndAnOverlongEntryIsPassedOver) {
  int in[2], out[2];
  ASSERT_EQ(pipe(in), 0);
  ASSERT_EQ(pipe(out), 0);
  const pid_t child = fork();
  if (child == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[1]);
    close(out[0]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    alarm(60);
    execl(KORVEL_SWEEP_BINARY, KORVEL_SWEEP_BINARY, "--files-from", "-", nullptr);
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  const std::string first = P("site/notes.txt") + "\n";
  ASSERT_EQ(write(in[1], first.data(), first.size()), static_cast<ssize_t>(first.size()));
  // The first path's row comes while the list is still open.
  std::string row;
  char c;
  while (read(out[0], &c, 1) == 1 && c != '\n') row += c;
  EXPECT_EQ(row, "someone@mail.example\t" + P("site/notes.txt"));
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, WNOHANG), 0);
  // An entry longer than any path is skipped whole; the list goes on after it.
  const std::string rest = std::string(200000, 'x') + "\n" + P("site/sub") + "\n";
  ASSERT_EQ(write(in[1], rest.data(), rest.size()), static_cast<ssize_t>(rest.size()));
  close(in[1]);
  std::string tail;
  while (read(out[0], &c, 1) == 1) tail += c;
  close(out[0]);
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_EQ(tail, "ftp://three.example\t" + P("site/sub/page.html") + "\n");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << "the skipped entry is an error";
}

TEST_F(KorvelSweepTest, RowsReachAPipeBeforeTheSweepEndsAndStatsFollow) {
  tree.File("slow/1.txt", "http://first.example/\n");
  tree.File("slow/2.txt", "www.last.example");
  ASSERT_EQ(truncate(P("slow/2.txt").c_str(), std::int64_t{2} << 30), 0);  // sparse, read as NULs
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipe_fds[1], 1);
    close(pipe_fds[0]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    alarm(60);
    execl(KORVEL_SWEEP_BINARY, KORVEL_SWEEP_BINARY, "-j", "2", P("slow").c_str(), nullptr);
    _exit(127);
  }
  close(pipe_fds[1]);
  std::string first;
  char c;
  while (read(pipe_fds[0], &c, 1) == 1 && c != '\n') first += c;
  int status = 0;
  // The big file is still being read when the first file's row arrives.
  EXPECT_EQ(waitpid(child, &status, WNOHANG), 0);
  EXPECT_EQ(first, "http://first.example/\t" + P("slow/1.txt"));
  // The reader goes away, as head does: the sweep ends soon, not after the big file.
  close(pipe_fds[0]);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(waitpid(child, &status, 0), child);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

  const Result stats = Sweep({"--stats", "--no-progress", P("site")});
  EXPECT_EQ(stats.status, 0);
  EXPECT_NE(stats.err.find("korvel-sweep: 4 files swept, "), std::string::npos) << stats.err;
  EXPECT_NE(stats.err.find(" 4 rows, 0 not read, "), std::string::npos) << stats.err;
  const Result progress = Sweep({"--progress", P("site")});
  EXPECT_EQ(progress.out, Sweep({P("site")}).out) << "the progress line stays off standard output";
}

TEST_F(KorvelSweepTest, AReaderThatLeavesBeforeTheFirstRowFailsTheSweep) {
  tree.File("rowless/big.bin");
  ASSERT_EQ(truncate(P("rowless/big.bin").c_str(), std::int64_t{1} << 30), 0);
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  close(pipe_fds[0]);  // the reader is gone before anything was written
  Limits gone;
  gone.out_fd = pipe_fds[1];
  const Result r = Sweep({P("rowless")}, gone);
  close(pipe_fds[1]);
  // As a failed write ends: status 2, or death by SIGPIPE.
  EXPECT_TRUE(r.status == 2 || r.signal == SIGPIPE) << r.status << " " << r.err;
}

TEST_F(KorvelSweepTest, AFileOverTheAddressSpaceLimitIsTooLargeForMemory) {
  tree.File("huge/small.txt", "http://small.example");
  tree.File("huge/big.txt", "www.big.example");
  ASSERT_EQ(truncate(P("huge/big.txt").c_str(), std::int64_t{1} << 30), 0);
  Limits limits;
  limits.address_space = rlim_t{768} << 20;
  if (Sweep({"--version"}, limits).status != 0)
    GTEST_SKIP() << "this build (a sanitizer's) cannot run under an address-space limit";
  const Result r = Sweep({"-j", "1", P("huge")}, limits);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "http://small.example\t" + P("huge/small.txt") + "\n");
  EXPECT_EQ(r.err, "korvel-sweep: " + P("huge/big.txt") + ": too large for memory\n");
}

}  // namespace
}  // namespace korvel
