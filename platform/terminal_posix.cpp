#include "platform/terminal.h"

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

bool IsLive(std::FILE* stream) {
  struct stat st {};
  if (fstat(fileno(stream), &st) != 0) return false;
  // A device other than a terminal (/dev/null) waits for nobody.
  return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) ||
         (S_ISCHR(st.st_mode) && isatty(fileno(stream)) == 1);
}

void OpenNullOnClosedStandardDescriptors() {
  // open() takes the lowest free descriptor: the closed one.
  for (int fd = 0; fd <= 2; ++fd)
    if (fcntl(fd, F_GETFD) == -1 && open("/dev/null", O_RDWR) == -1) break;
}

bool ReaderGone(std::FILE* stream) {
  pollfd watched{fileno(stream), 0, 0};
  return poll(&watched, 1, 0) == 1 && (watched.revents & (POLLERR | POLLHUP)) != 0;
}

void SetBinary(std::FILE*) {}

long long ReadAvailable(std::FILE* stream, char* buffer, std::size_t count, int timeout_ms) {
  const int fd = fileno(stream);
  pollfd watched{fd, POLLIN, 0};
  const int ready = poll(&watched, 1, timeout_ms);
  if (ready == 0) return -2;
  if (ready < 0) return errno == EINTR ? -2 : -1;
  const ssize_t n = read(fd, buffer, count);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return -2;
  return n;
}

}  // namespace korvel
