#pragma once
// What is at a path. Each call says in its name whether it follows a symbolic
// link to what it points to (FollowingLinks) or looks at the link itself
// (NotFollowingLinks); Windows has no links that the C runtime sees, so there
// the two agree. A path holding a NUL byte names nothing. A folder's path may
// end with a separator on every platform; a file's may not.
#include <string>

namespace korvel {

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
