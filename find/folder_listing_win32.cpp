#include <windows.h>

#include <io.h>

#include "find/folder_listing.h"

namespace korvel {
namespace {

class Win32FolderListing final : public FolderListing {
 public:
  bool List(const std::string& folder, std::vector<FolderEntry>& entries) const override {
    entries.clear();
    const std::string mask = folder + "*.*";
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(mask.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    // Closed also when an entry cannot be stored (std::bad_alloc).
    const struct Close {
      HANDLE find;
      ~Close() { FindClose(find); }
    } close{find};
    do {
      FolderEntry& out = entries.emplace_back();
      out.name = data.cFileName;
      out.attributes = data.dwFileAttributes;
    } while (FindNextFileA(find, &data));
    return true;
  }
};

}  // namespace

const FolderListing& SystemFolderListing() {
  static const Win32FolderListing listing;
  return listing;
}

bool PathExists(const std::string& path) { return _access(path.c_str(), 0) == 0; }

}  // namespace korvel
