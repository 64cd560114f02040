#pragma once
// What is at a path. Each call says in its name whether it follows a symbolic
// link to what it points to (FollowingLinks) or looks at the link itself
// (NotFollowingLinks); Windows has no links that the C runtime sees, so there
// the two agree. A path holding a NUL byte names nothing. A folder's path may
// end with a separator on every platform; a file's may not.
#include <cstdint>
#include <cstdio>
#include <string>

namespace korvel {

// Which file an open file or a path is, however it is reached: the same pair
// means the same file.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path` (links followed); false when there is
// none (nothing there, or no such notion).
bool IdentityFollowingLinks(const std::string& path, FileIdentity& identity);
// The identity of the file behind an open stream; false when the stream goes
// to no file one could also reach by a path (a pipe, a terminal).
bool IdentityOfRegularFile(std::FILE* stream, FileIdentity& identity);

enum class FileKind { Missing, RegularFile, Folder, Other };

// The kind of what the path leads to; its size in `size` when asked for and
// it is a regular file. Missing sets errno.
FileKind FileKindFollowingLinks(const std::string& path, long long* size = nullptr);
// The kind of the entry itself: a link is Other, whatever it points to.
FileKind FileKindNotFollowingLinks(const std::string& path, long long* size = nullptr);

inline bool IsRegularFileFollowingLinks(const std::string& path) {
  return FileKindFollowingLinks(path) == FileKind::RegularFile;
}
// A link is not the file, so a wipe never writes through one.
inline bool IsRegularFileNotFollowingLinks(const std::string& path, long long* size = nullptr) {
  return FileKindNotFollowingLinks(path, size) == FileKind::RegularFile;
}

// Whether anything is there after following links, like access(path, 0); a
// folder path may end with a separator.
bool ExistsFollowingLinks(const std::string& path);
// Whether any entry is there; a dangling link counts.
bool ExistsNotFollowingLinks(const std::string& path);

}  // namespace korvel
