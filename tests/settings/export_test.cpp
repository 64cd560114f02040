#include "settings/export.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include "platform/atomic_file.h"
#include "test_support.h"

namespace korvel {
namespace {

using testing::ReadAll;
using testing::TempTree;
using testing::WriteAll;

bool Export(const std::string& path, const std::vector<std::string>& rows) {
  return WriteExportFile(
      path, [&] { return rows.size(); }, [&](std::size_t i) { return rows.at(i); });
}

TEST(ProbeExportPath, TellsExistingWritableAndInvalidPaths) {
  TempTree folder;
  WriteAll(folder.Path("old.txt"), "keep");
  EXPECT_EQ(ProbeExportPath(folder.Path("old.txt")), ExportPathState::PathExists);
  EXPECT_EQ(ReadAll(folder.Path("old.txt")), "keep");

  EXPECT_EQ(ProbeExportPath(folder.Path("new.txt")), ExportPathState::PathWritable);
  EXPECT_EQ(ProbeExportPath(folder.Path("missing/new.txt")), ExportPathState::PathInvalid);
  std::filesystem::create_directory(folder.Path("sub"));
  EXPECT_EQ(ProbeExportPath(folder.Path("sub")), ExportPathState::PathInvalid);
  EXPECT_EQ(ProbeExportPath(""), ExportPathState::PathInvalid);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"old.txt", "sub"}));  // no stray test file
}

TEST(WipeAndDeleteFile, RemovesReadOnlyFilesAndIgnoresMissingOnes) {
  TempTree folder;
  const std::string path = folder.Path("ro.txt");
  WriteAll(path, std::string(100000, 'x'));
  namespace fs = std::filesystem;
  // On Windows this sets the read-only attribute.
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_TRUE(WipeAndDeleteFile(path, 2));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(WipeAndDeleteFile(folder.Path("never-there"), 1));
}

TEST(WriteExportFile, WritesEachAddressFollowedByCrLf) {
  TempTree folder;
  const std::string path = folder.Path("out.txt");
  ASSERT_TRUE(Export(path, {"http://a.example/x y", "m@b.example", "m@b.example", "a\nb\xE9"}));
  EXPECT_EQ(ReadAll(path), "http://a.example/x y\r\nm@b.example\r\nm@b.example\r\na\r\nb\xE9\r\n");
}

#ifndef _WIN32  // Windows files have no mode bits and links need privileges
TEST(WriteExportFile, ReplacesTheWholeOldFileAndKeepsItsPermissions) {
  TempTree folder;
  const std::string path = folder.Path("out.txt");
  WriteAll(path, std::string(1000, 'o'));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(Export(path, {"one"}));
  EXPECT_EQ(ReadAll(path), "one\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(folder.List(), std::vector<std::string>{"out.txt"});
}
#endif

TEST(WriteExportFile, AcceptsNamesAtTheFileSystemsLengthLimit) {
  TempTree folder;
  const std::string name = std::string(250, 'n') + ".txt";
  ASSERT_TRUE(Export(folder.Path(name), {"a"}));
  EXPECT_EQ(ReadAll(folder.Path(name)), "a\r\n");
}

#ifndef _WIN32
TEST(WriteExportFile, ReplacesTheFileBehindALinkAndKeepsTheLink) {
  TempTree folder;
  WriteAll(folder.Path("real.txt"), "old");
  ASSERT_EQ(::symlink("real.txt", folder.Path("link.txt").c_str()), 0);
  ASSERT_TRUE(Export(folder.Path("link.txt"), {"new"}));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.Path("link.txt")));
  EXPECT_EQ(ReadAll(folder.Path("real.txt")), "new\r\n");
}
#endif

TEST(WriteExportFile, FailureHalfWayLeavesTheOldFileWhole) {
  TempTree folder;
  const std::string path = folder.Path("out.txt");
  WriteAll(path, "precious\r\n");
  // Enough rows that part of them has reached the temporary file.
  const bool ok = WriteExportFile(
      path, [] { return std::size_t{100000}; },
      [](std::size_t i) -> std::string {
        if (i == 50000) throw std::runtime_error("list went away");
        return "http://row.example/" + std::to_string(i);
      });
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadAll(path), "precious\r\n");
  EXPECT_EQ(folder.List(), std::vector<std::string>{"out.txt"});
  EXPECT_FALSE(Export(folder.Path("missing/out.txt"), {"a"}));
  EXPECT_EQ(folder.List(), std::vector<std::string>{"out.txt"});
}

TEST(AtomicFile, FlushReachesTheTemporaryFileAndAFailureKeepsItsReason) {
  TempTree folder;
  AtomicFile file;
  ASSERT_TRUE(file.Open(folder.Path("out.txt")));
  ASSERT_TRUE(file.Write("a few bytes"));
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(ReadAll(file.TempPath()), "a few bytes");
  EXPECT_EQ(file.Error(), 0);
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadAll(folder.Path("out.txt")), "a few bytes");

  EXPECT_FALSE(file.Open(folder.Path("missing/out.txt")));
  EXPECT_EQ(file.Error(), ENOENT);
  EXPECT_EQ(file.ErrorText(), std::strerror(ENOENT));
  EXPECT_FALSE(file.Flush());
}

#ifndef _WIN32
TEST(AtomicFile, ATerminatedProgramLeavesTheOldFileAndNoTemporaryFile) {
  TempTree folder;
  const std::string path = folder.Path("out.txt");
  WriteAll(path, "precious\r\n");
  const pid_t child = fork();
  if (child == 0) {
    AtomicFile::RemoveTempFilesOnSignals();
    AtomicFile file;
    if (!file.Open(path) || !file.Write(std::string(200000, 'x'))) _exit(1);
    std::raise(SIGTERM);
    _exit(2);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_EQ(ReadAll(path), "precious\r\n");
  EXPECT_EQ(folder.List(), std::vector<std::string>{"out.txt"});
}
#endif

}  // namespace
}  // namespace korvel
