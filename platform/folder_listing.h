#pragma once
// Listing one folder, the only thing the file finder asks of the file system
// besides an existence test (platform/file_status.h). Each entry carries the
// Windows attribute word, so the walk decides "folder or file" by one rule on
// every platform.
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// Attribute bits as the Windows listing reports them.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrNormal = 0x80;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;

// What an entry is, where the listing tells it without asking for more:
// Regular is a regular file, or a link to one; Other a device, FIFO,
// socket or dangling link; Unknown anything else (folders, links to
// folders, and entries of listings that do not say).
enum class EntryType : std::uint8_t { Unknown, Regular, Other };

struct FolderEntry {
  std::string name;
  std::uint32_t attributes = 0;
  EntryType type = EntryType::Unknown;
};

class FolderListing {
 public:
  virtual ~FolderListing() = default;
  // Fills `entries` (emptied first) with the entries of `folder`, a path that
  // ends with a separator. Returns false when the folder cannot be listed.
  virtual bool List(const std::string& folder, std::vector<FolderEntry>& entries) const = 0;
  // The walk on this thread is over: what List kept for the next call of the
  // same walk (open folders) is released.
  virtual void EndWalk() const {}
};

// The operating system's listing.
// Windows: FindFirstFileA/FindNextFileA with "*.*", in the order returned.
// POSIX: readdir, sorted by name in byte order so that a walk is the same on
// every file system. A real directory gets 0x10 (plus 0x01 when its owner may
// not write it, 0x02 when its name starts with "."); a symbolic link gets
// 0x400, so it is never descended into; anything else gets 0x20 (plus 0x02).
// Only the folder decision depends on the word, so files are not stat'ed
// (d_type says what they are; only DT_UNKNOWN entries and links are).
// A folder below the walk's first is opened relative to its parent's open
// descriptor and never through a link, however deep: a folder replaced by a
// link after its parent was listed cannot be listed (ELOOP or ENOTDIR). At
// most a few descriptors stay open per thread, at any depth.
const FolderListing& SystemFolderListing();

}  // namespace korvel
