#include "platform/file_reading.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

namespace korvel::file_reading {
namespace {

// Largest single read; keeps each request well inside what every platform's
// read call accepts.
constexpr std::size_t kMaxRead = std::size_t{1} << 30;

void Fill(const struct _stat64& st, FileStatus& status) {
  status.regular = (st.st_mode & _S_IFMT) == _S_IFREG;
  status.size = st.st_size;
}

}  // namespace

bool QueryStatus(const char* path, FileStatus& status) {
  struct _stat64 st;
  if (_stat64(path, &st) != 0) return false;
  Fill(st, status);
  return true;
}
bool QueryStatus(int fd, FileStatus& status) {
  struct _stat64 st;
  if (_fstat64(fd, &st) != 0) return false;
  Fill(st, status);
  // The C runtime has no file numbers; the volume and the file index tell
  // one file whatever its path.
  BY_HANDLE_FILE_INFORMATION info;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info)) {
    status.device = info.dwVolumeSerialNumber;
    status.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  }
  return true;
}
int OpenForReading(const char* path) { return _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT); }
long long ReadSome(int fd, char* buffer, std::size_t count) {
  return _read(fd, buffer, static_cast<unsigned>(std::min(count, kMaxRead)));
}
void CloseFile(int fd) { _close(fd); }
// The system opens every path it takes in one call.
int OpenLongPath(const std::string&, FileStatus&, int& error) {
  error = ENAMETOOLONG;
  return -1;
}

}  // namespace korvel::file_reading
