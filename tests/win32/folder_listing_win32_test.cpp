// The folder listing on Windows (under Wine in CI): FindFirstFileA and
// FindNextFileA with the attribute words the system reports, and the walk
// that decides "folder or file" by them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "find/file_finder.h"
#include "platform/file_status.h"
#include "platform/folder_listing.h"
#include "ui/win32/windows_api.h"

namespace korvel {
namespace {

std::vector<std::string>& Reported() {
  static std::vector<std::string> reported;
  return reported;
}
void Record(const char* path) { Reported().emplace_back(path); }

// A folder under the system's temp folder, removed with its content.
class TempFolder {
 public:
  TempFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    for (unsigned n = GetTickCount();; ++n) {
      root_ = std::string(temp) + "korvel-listing-" + std::to_string(n) + "\\";
      if (CreateDirectoryA(root_.c_str(), nullptr)) break;
    }
  }
  ~TempFolder() { Remove(root_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Root() const { return root_; }
  std::string Folder(const std::string& name, ::DWORD attributes = 0) const {
    const std::string path = root_ + name;
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    if (attributes != 0) {
      EXPECT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
    }
    return path + "\\";
  }
  void File(const std::string& name) const {
    HANDLE file = CreateFileA((root_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << name;
    CloseHandle(file);
  }

 private:
  static void Remove(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
          Remove(path + "\\");
        else
          DeleteFileA(path.c_str());
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
  }
  std::string root_;
};

std::map<std::string, std::uint32_t> Words(const std::string& folder) {
  std::vector<FolderEntry> entries;
  EXPECT_TRUE(SystemFolderListing().List(folder, entries));
  std::map<std::string, std::uint32_t> words;
  for (const auto& entry : entries) words[entry.name] = entry.attributes;
  return words;
}

TEST(Win32FolderListing, ReportsTheSystemsAttributeWords) {
  TempFolder tree;
  tree.Folder("plain");
  // (Wine keeps no read-only mark on a folder; hidden and system it keeps.)
  tree.Folder("marked", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  tree.File("file.txt");
  const auto words = Words(tree.Root());
  EXPECT_EQ(words.count("."), 1u);  // the listing is the system's, dot entries included
  EXPECT_EQ(words.at("plain") & ~0x20u, 0x10u);
  EXPECT_EQ(words.at("marked") & ~0x20u, 0x16u);
  EXPECT_EQ(words.at("file.txt") & FILE_ATTRIBUTE_DIRECTORY, 0u);
  std::vector<FolderEntry> none;
  EXPECT_FALSE(SystemFolderListing().List(tree.Root() + "missing\\", none));
}

TEST(Win32FolderListing, TheWalkDescendsIntoMarkedFoldersAndFindsNamesAsGiven) {
  TempFolder tree;
  const std::string marked = tree.Folder("Marked", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  tree.File("Marked\\Deep.TXT");
  tree.File("caf\x80.txt");  // an ANSI name (code page 1252)
  tree.File("noext");
  Reported().clear();
  FileFinder(Record, tree.Root().c_str(), "txt", "").Find(1);
  EXPECT_EQ(Reported().size(), 2u);
  EXPECT_NE(std::find(Reported().begin(), Reported().end(), marked + "Deep.TXT"), Reported().end());
  EXPECT_NE(std::find(Reported().begin(), Reported().end(), tree.Root() + "caf\x80.txt"),
            Reported().end());
  Reported().clear();
  FileFinder(Record, tree.Root().c_str(), "-?", "").Find(0);
  EXPECT_EQ(Reported(), std::vector<std::string>{tree.Root() + "noext"});
}

// The C runtime's status alone fails on a final separator except at a root.
TEST(Win32FolderListing, AFolderPathMayEndWithASeparatorAFilePathMayNot) {
  TempFolder tree;
  const std::string folder = tree.Folder("Sub");  // ends in "\\"
  tree.File("Sub\\file.txt");
  EXPECT_EQ(FileKindFollowingLinks(folder), FileKind::Folder);
  EXPECT_EQ(FileKindFollowingLinks(folder + "\\"), FileKind::Folder);
  EXPECT_EQ(FileKindNotFollowingLinks(tree.Root() + "Sub/"), FileKind::Folder);
  EXPECT_TRUE(ExistsNotFollowingLinks(folder));
  EXPECT_EQ(FileKindFollowingLinks(folder + "file.txt"), FileKind::RegularFile);
  EXPECT_EQ(FileKindFollowingLinks(folder + "file.txt\\"), FileKind::Missing);
  EXPECT_EQ(FileKindFollowingLinks(folder + "none\\"), FileKind::Missing);
  EXPECT_EQ(FileKindFollowingLinks(tree.Root().substr(0, 3)), FileKind::Folder);  // "C:\\"
}

TEST(Win32FolderListing, SpecialFoldersAreTheSystemsOwn) {
  char windows[MAX_PATH] = {};
  char system[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(FileFinder(Record, "-WIN", "", "").Directory(), std::string(windows) + "\\");
  EXPECT_EQ(FileFinder(Record, " -sys ", "", "").Directory(), std::string(system) + "\\");
  EXPECT_EQ(FileFinder(Record, "-Root", "", "").Directory(), std::string(windows).substr(0, 3));
}

}  // namespace
}  // namespace korvel
