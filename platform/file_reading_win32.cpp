#include "platform/file_reading.h"

#include <algorithm>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace korvel::file_reading {
namespace {

// Largest single read; keeps each request well inside what every platform's
// read call accepts.
constexpr std::size_t kMaxRead = std::size_t{1} << 30;

}  // namespace

bool QueryStatus(int fd, OpenedStatus& status) {
  struct _stat64 st;
  if (_fstat64(fd, &st) != 0) return false;
  status.regular = (st.st_mode & _S_IFMT) == _S_IFREG;
  status.size = st.st_size;
  return true;
}
int OpenForReading(const char* path) { return _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT); }
bool PrepareForReading(int) { return true; }
long long ReadSome(int fd, char* buffer, std::size_t count) {
  return _read(fd, buffer, static_cast<unsigned>(std::min(count, kMaxRead)));
}
void CloseFile(int fd) { _close(fd); }

}  // namespace korvel::file_reading
