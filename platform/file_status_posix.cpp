#include "platform/file_status.h"

#include <sys/stat.h>
#include <unistd.h>

namespace korvel {
namespace {

bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

FileKind KindOf(const struct stat& st, long long* size) {
  if (S_ISREG(st.st_mode)) {
    if (size != nullptr) *size = static_cast<long long>(st.st_size);
    return FileKind::RegularFile;
  }
  return S_ISDIR(st.st_mode) ? FileKind::Folder : FileKind::Other;
}

}  // namespace

FileKind FileKindFollowingLinks(const std::string& path, long long* size) {
  struct stat st {};
  if (HasNul(path) || ::stat(path.c_str(), &st) != 0) return FileKind::Missing;
  return KindOf(st, size);
}

FileKind FileKindNotFollowingLinks(const std::string& path, long long* size) {
  struct stat st {};
  if (HasNul(path) || ::lstat(path.c_str(), &st) != 0) return FileKind::Missing;
  return KindOf(st, size);
}

bool IdentityFollowingLinks(const std::string& path, FileIdentity& identity) {
  struct stat st {};
  if (HasNul(path) || ::stat(path.c_str(), &st) != 0) return false;
  identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

bool IdentityOfRegularFile(std::FILE* stream, FileIdentity& identity) {
  struct stat st {};
  if (::fstat(fileno(stream), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

bool ExistsFollowingLinks(const std::string& path) {
  return !HasNul(path) && ::access(path.c_str(), F_OK) == 0;
}

bool ExistsNotFollowingLinks(const std::string& path) {
  struct stat st {};
  return !HasNul(path) && ::lstat(path.c_str(), &st) == 0;
}

}  // namespace korvel
