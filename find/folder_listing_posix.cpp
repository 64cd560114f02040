#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "find/folder_listing.h"

namespace korvel {
namespace {

class PosixFolderListing final : public FolderListing {
 public:
  bool List(const std::string& folder, std::vector<FolderEntry>& entries) const override {
    entries.clear();
    // Closed also when an entry cannot be stored (std::bad_alloc).
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (dir == nullptr) return false;
    const int dir_fd = dirfd(dir.get());
    while (const dirent* entry = readdir(dir.get())) {
      FolderEntry& out = entries.emplace_back();
      out.name = entry->d_name;
      out.attributes = Attributes(dir_fd, *entry);
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
  }

 private:
  static std::uint32_t Attributes(int dir_fd, const dirent& entry) {
    const std::uint32_t hidden = entry.d_name[0] == '.' ? kAttrHidden : 0;
    unsigned char type = entry.d_type;
    struct stat st {};
    bool have_stat = false;
    // A directory needs its mode for the read-only bit; an unknown type needs
    // it to be told at all. Other entries are classified by d_type alone.
    if (type == DT_DIR || type == DT_UNKNOWN) {
      if (fstatat(dir_fd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        have_stat = true;
        if (S_ISDIR(st.st_mode))
          type = DT_DIR;
        else if (S_ISLNK(st.st_mode))
          type = DT_LNK;
        else
          type = DT_REG;
      } else if (type == DT_UNKNOWN) {
        type = DT_REG;
      }
    }
    if (type == DT_DIR) {
      const bool read_only = have_stat && (st.st_mode & S_IWUSR) == 0;
      return kAttrDirectory | hidden | (read_only ? kAttrReadOnly : 0);
    }
    if (type == DT_LNK) return kAttrReparsePoint | hidden;
    return kAttrArchive | hidden;
  }
};

}  // namespace

const FolderListing& SystemFolderListing() {
  static const PosixFolderListing listing;
  return listing;
}

bool PathExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

}  // namespace korvel
