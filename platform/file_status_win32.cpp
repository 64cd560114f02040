// The C runtime's ANSI calls with 64-bit status: the plain _stat has a 32-bit
// size and fails on large files.
#include "platform/file_status.h"

#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace korvel {
namespace {

bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

}  // namespace

FileKind FileKindFollowingLinks(const std::string& path, long long* size) {
  struct _stati64 st {};
  if (HasNul(path) || _stati64(path.c_str(), &st) != 0) return FileKind::Missing;
  const auto type = st.st_mode & _S_IFMT;
  if (type == _S_IFREG) {
    if (size != nullptr) *size = st.st_size;
    return FileKind::RegularFile;
  }
  return type == _S_IFDIR ? FileKind::Folder : FileKind::Other;
}

FileKind FileKindNotFollowingLinks(const std::string& path, long long* size) {
  return FileKindFollowingLinks(path, size);
}

// _access, not the status: the status of a folder path fails when it ends
// with a separator (other than a drive's root).
bool ExistsFollowingLinks(const std::string& path) {
  return !HasNul(path) && _access(path.c_str(), 0) == 0;
}

bool ExistsNotFollowingLinks(const std::string& path) {
  struct _stati64 st {};
  return !HasNul(path) && _stati64(path.c_str(), &st) == 0;
}

}  // namespace korvel
