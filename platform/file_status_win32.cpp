// The C runtime's ANSI calls with 64-bit status: the plain _stat has a 32-bit
// size and fails on large files.
#include "platform/file_status.h"

#include <cerrno>
#include <cstddef>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

#include "platform/path.h"

namespace korvel {
namespace {

bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

// The C runtime's status refuses a path that ends with a separator ("No such
// file or directory" for C:\some\folder\), except a drive's root. So the
// separators go before the call, and what is left must then be a folder, as
// on POSIX.
bool StatPath(const std::string& path, struct _stati64& st) {
  if (HasNul(path)) return false;
  std::size_t end = path.size();
  while (end > 1 && IsPathSeparator(path[end - 1]) && !(end == 3 && path[1] == ':')) --end;
  if (end == path.size()) return _stati64(path.c_str(), &st) == 0;
  if (_stati64(path.substr(0, end).c_str(), &st) != 0) return false;
  if ((st.st_mode & _S_IFMT) == _S_IFDIR) return true;
  errno = ENOTDIR;
  return false;
}

}  // namespace

FileKind FileKindFollowingLinks(const std::string& path, long long* size) {
  struct _stati64 st {};
  if (!StatPath(path, st)) return FileKind::Missing;
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

// _access takes a folder path that ends with a separator as it is.
namespace {

// The volume's serial number and the file's index: what NTFS and FAT keep
// for as long as the file is open.
bool IdentityOfHandle(HANDLE handle, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(handle, &info))
    return false;
  identity = {info.dwVolumeSerialNumber,
              (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
  return true;
}

}  // namespace

bool IdentityFollowingLinks(const std::string& path, FileIdentity& identity) {
  if (HasNul(path)) return false;
  const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const bool known = IdentityOfHandle(file, identity);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return known;
}

bool IdentityOfRegularFile(std::FILE* stream, FileIdentity& identity) {
  return IdentityOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), identity);
}

bool ExistsFollowingLinks(const std::string& path) {
  return !HasNul(path) && _access(path.c_str(), 0) == 0;
}

bool ExistsNotFollowingLinks(const std::string& path) {
  struct _stati64 st {};
  return StatPath(path, st);
}

}  // namespace korvel
