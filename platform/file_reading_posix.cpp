#include "platform/file_reading.h"

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace korvel::file_reading {
namespace {

// Largest single read; keeps each request well inside what every platform's
// read call accepts.
constexpr std::size_t kMaxRead = std::size_t{1} << 30;

}  // namespace

bool QueryStatus(int fd, OpenedStatus& status) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return false;
  status.regular = S_ISREG(st.st_mode);
  status.size = static_cast<long long>(st.st_size);
  return true;
}
// Non-blocking, so that a FIFO or device swapped in after the status query
// cannot hang the open; the caller checks the opened file before reading.
int OpenForReading(const char* path) {
  return open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}
bool PrepareForReading(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}
long long ReadSome(int fd, char* buffer, std::size_t count) {
  return read(fd, buffer, std::min(count, kMaxRead));
}
void CloseFile(int fd) { close(fd); }

}  // namespace korvel::file_reading
