#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/folder_listing.h"

namespace korvel {
namespace {

constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

// The folders from the walk's first one down to the one listed last, each
// below the first reached from its parent's descriptor by name, without
// following links. Only the deepest few stay open, so a tree of any depth
// costs a bounded number of descriptors: going back up reopens a closed
// parent through "..", checked against the device and inode it had.
class FolderChain {
 public:
  ~FolderChain() { Release(); }

  void Release() {
    for (Level& level : levels_)
      if (level.dir != nullptr) closedir(level.dir);
    levels_.clear();
    path_.clear();
    open_ = 0;
  }

  // The open, rewound listing of `folder` (ending with "/"), owned by the
  // chain; nullptr with errno set when it cannot be opened.
  DIR* Open(const std::string& folder) {
    std::size_t keep = 0;
    if (!levels_.empty()) {
      const std::size_t n = std::min(path_.size(), folder.size());
      const auto differ = std::mismatch(path_.begin(), path_.begin() + n, folder.begin());
      const auto same = static_cast<std::size_t>(differ.first - path_.begin());
      while (keep < levels_.size() && levels_[keep].end <= same) ++keep;
    }
    Truncate(keep);
    path_.assign(folder);
    std::size_t done = 0;
    if (levels_.empty()) {
      if (!OpenFirst()) return nullptr;
      done = levels_.back().end;
    } else {
      done = levels_.back().end;
      if (levels_.back().dir == nullptr && !Reopen()) return nullptr;
    }
    while (done < path_.size()) {
      const std::size_t slash = std::min(path_.find('/', done), path_.size());
      const std::string name = path_.substr(done, slash - done);
      done = std::min(slash + 1, path_.size());
      if (name.empty()) continue;
      if (!Push(done, openat(dirfd(levels_.back().dir), name.c_str(), kFlags | O_NOFOLLOW)))
        return nullptr;
    }
    DIR* dir = levels_.back().dir;
    rewinddir(dir);
    return dir;
  }

 private:
  // A few levels deep enough for any walk; the first level stays open too.
  static constexpr std::size_t kMaxOpen = 8;

  struct Level {
    std::size_t end;  // the level's path is path_'s first `end` bytes
    DIR* dir;         // nullptr while closed
    dev_t dev;
    ino_t ino;
  };

  // The walk's first folder, by its path (links followed): the longest part
  // the system takes in one piece, the rest below it by name.
  bool OpenFirst() {
    std::size_t end = path_.size();
    if (end >= PATH_MAX) {
      const std::size_t cut = path_.rfind('/', PATH_MAX - 2);
      if (cut == std::string::npos || cut == 0) {
        errno = ENAMETOOLONG;
        return false;
      }
      end = cut + 1;
    }
    return Push(end, open(path_.substr(0, end).c_str(), kFlags));
  }

  // Takes `fd` (a folder opened by name, or -1 with errno set) as the next
  // level, ending at `end`.
  bool Push(std::size_t end, int fd) {
    if (fd < 0) return false;
    struct stat st {};
    DIR* dir = nullptr;
    try {
      levels_.push_back(Level{end, nullptr, 0, 0});
    } catch (...) {
      close(fd);
      throw;
    }
    if (fstat(fd, &st) != 0 || (dir = fdopendir(fd)) == nullptr) {
      const int error = errno;
      close(fd);
      levels_.pop_back();
      errno = error;
      return false;
    }
    levels_.back() = Level{end, dir, st.st_dev, st.st_ino};
    ++open_;
    Trim();
    return true;
  }

  // Closes the shallowest open level but the first and the deepest while
  // too many are open.
  void Trim() {
    for (std::size_t i = 1; open_ > kMaxOpen && i + 1 < levels_.size(); ++i) {
      if (levels_[i].dir == nullptr) continue;
      closedir(levels_[i].dir);
      levels_[i].dir = nullptr;
      --open_;
    }
  }

  // Drops the levels below the first `keep`, handing an open descriptor up
  // to a closed parent on the way.
  void Truncate(std::size_t keep) {
    while (levels_.size() > keep) {
      Level& last = levels_.back();
      if (last.dir != nullptr) {
        if (levels_.size() >= 2 && levels_[levels_.size() - 2].dir == nullptr)
          Adopt(levels_[levels_.size() - 2], openat(dirfd(last.dir), "..", kFlags | O_NOFOLLOW));
        closedir(last.dir);
        --open_;
      }
      levels_.pop_back();
    }
  }

  // Takes `fd` as the descriptor of the closed `level` if it is that folder
  // still; false otherwise.
  bool Adopt(Level& level, int fd) {
    if (fd < 0) return false;
    struct stat st {};
    DIR* dir = nullptr;
    if (fstat(fd, &st) != 0 || st.st_dev != level.dev || st.st_ino != level.ino ||
        (dir = fdopendir(fd)) == nullptr) {
      close(fd);
      errno = ENOENT;  // moved away while walked
      return false;
    }
    level.dir = dir;
    ++open_;
    return true;
  }

  // Opens the closed deepest level again, by name from the nearest open one
  // above it (the first level is always open).
  bool Reopen() {
    std::size_t from = levels_.size() - 1;
    while (levels_[from].dir == nullptr) --from;
    for (std::size_t i = from + 1; i < levels_.size(); ++i) {
      const std::size_t begin = levels_[i - 1].end;
      const std::string name = path_.substr(begin, levels_[i].end - 1 - begin);
      if (!Adopt(levels_[i], openat(dirfd(levels_[i - 1].dir), name.empty() ? "." : name.c_str(),
                                    kFlags | O_NOFOLLOW)))
        return false;
      Trim();
    }
    return true;
  }

  std::string path_;  // the path of the folder opened last
  std::vector<Level> levels_;
  std::size_t open_ = 0;
};

thread_local FolderChain t_chain;

EntryType TypeOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryType::Regular;
  if (S_ISDIR(mode)) return EntryType::Unknown;
  return EntryType::Other;
}

class PosixFolderListing final : public FolderListing {
 public:
  bool List(const std::string& folder, std::vector<FolderEntry>& entries) const override {
    entries.clear();
    DIR* const dir = t_chain.Open(folder);
    if (dir == nullptr) return false;
    const int dir_fd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
      FolderEntry& out = entries.emplace_back();
      out.name = entry->d_name;
      Classify(dir_fd, *entry, out);
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
  }

  void EndWalk() const override { t_chain.Release(); }

 private:
  static void Classify(int dir_fd, const dirent& entry, FolderEntry& out) {
    const std::uint32_t hidden = entry.d_name[0] == '.' ? kAttrHidden : 0;
    unsigned char type = entry.d_type;
    struct stat st {};
    bool have_stat = false;
    // A directory needs its mode for the read-only bit; an unknown type needs
    // it to be told at all. Files are classified by d_type alone.
    if (type == DT_DIR || type == DT_UNKNOWN) {
      if (fstatat(dir_fd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        have_stat = true;
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_UNKNOWN;
      } else if (type == DT_UNKNOWN) {
        out.attributes = kAttrArchive | hidden;  // the sweep finds out what it is
        return;
      }
    }
    if (type == DT_DIR) {
      const bool read_only = have_stat && (st.st_mode & S_IWUSR) == 0;
      out.attributes = kAttrDirectory | hidden | (read_only ? kAttrReadOnly : 0);
      return;
    }
    if (type == DT_LNK) {
      out.attributes = kAttrReparsePoint | hidden;
      // Where the link leads decides; one that leads nowhere is passed over.
      if (fstatat(dir_fd, entry.d_name, &st, 0) == 0)
        out.type = TypeOfMode(st.st_mode);
      else if (errno == ENOENT || errno == ELOOP || errno == ENOTDIR)
        out.type = EntryType::Other;
      return;
    }
    out.attributes = kAttrArchive | hidden;
    if (have_stat)
      out.type = TypeOfMode(st.st_mode);
    else
      out.type = type == DT_REG ? EntryType::Regular : EntryType::Other;
  }
};

}  // namespace

const FolderListing& SystemFolderListing() {
  static const PosixFolderListing listing;
  return listing;
}

}  // namespace korvel
