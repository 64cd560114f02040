#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>
#include <memory>

#include "platform/folder_listing.h"

namespace korvel {
namespace {

// The folders open along a walk below PATH_MAX, deepest last, so that a
// deeper folder is opened relative to its parent. Each thread walks its own
// tree; the descriptors are closed as soon as a walk comes back to paths the
// system takes whole, and when the thread ends.
class DeepFolders {
 public:
  ~DeepFolders() { Release(); }

  void Release() {
    for (const auto& folder : open_) close(folder.second);
    open_.clear();
  }

  // A descriptor of `folder` (ending with "/"), longer than PATH_MAX; -1 with
  // errno set on failure.
  int Open(const std::string& folder) {
    while (!open_.empty() &&
           folder.compare(0, open_.back().first.size(), open_.back().first) != 0) {
      close(open_.back().second);
      open_.pop_back();
    }
    std::size_t done = open_.empty() ? 0 : open_.back().first.size();
    if (open_.empty()) {
      // The longest leading part that the system takes in one piece.
      const std::size_t cut = folder.rfind('/', PATH_MAX - 2);
      if (cut == std::string::npos || cut == 0) {
        errno = ENAMETOOLONG;
        return -1;
      }
      if (!Push(folder.substr(0, cut + 1), open(folder.substr(0, cut).c_str(), kFlags))) return -1;
      done = cut + 1;
    }
    while (done < folder.size()) {
      const std::size_t slash = folder.find('/', done);
      const std::string name = folder.substr(done, slash - done);
      done = slash + 1;
      if (name.empty()) continue;
      if (!Push(folder.substr(0, done),
                openat(open_.back().second, name.c_str(), kFlags | O_NOFOLLOW)))
        return -1;
    }
    return open_.back().second;
  }

 private:
  static constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

  bool Push(std::string path, int fd) {
    if (fd < 0) return false;
    open_.emplace_back(std::move(path), fd);
    return true;
  }

  std::vector<std::pair<std::string, int>> open_;
};

thread_local DeepFolders t_deep_folders;

DIR* OpenFolder(const std::string& folder) {
  if (folder.size() < PATH_MAX) {
    t_deep_folders.Release();
    return opendir(folder.c_str());
  }
  const int fd = t_deep_folders.Open(folder);
  if (fd < 0) return nullptr;
  // The listing closes its own descriptor; the one kept stays for the children.
  const int own = dup(fd);
  DIR* dir = own >= 0 ? fdopendir(own) : nullptr;
  if (dir == nullptr && own >= 0) {
    const int error = errno;
    close(own);
    errno = error;
  }
  if (dir != nullptr) rewinddir(dir);
  return dir;
}

class PosixFolderListing final : public FolderListing {
 public:
  bool List(const std::string& folder, std::vector<FolderEntry>& entries) const override {
    entries.clear();
    // Closed also when an entry cannot be stored (std::bad_alloc).
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(OpenFolder(folder), closedir);
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

}  // namespace korvel
