#include "platform/file_reading.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace korvel::file_reading {
namespace {

// Largest single read; keeps each request well inside what every platform's
// read call accepts.
constexpr std::size_t kMaxRead = std::size_t{1} << 30;

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

#ifdef O_PATH
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

void Fill(const struct stat& st, FileStatus& status) {
  status.regular = S_ISREG(st.st_mode);
  status.size = static_cast<long long>(st.st_size);
  status.device = static_cast<std::uint64_t>(st.st_dev);
  status.inode = static_cast<std::uint64_t>(st.st_ino);
}

}  // namespace

bool QueryStatus(const char* path, FileStatus& status) {
  struct stat st {};
  if (stat(path, &st) != 0) return false;
  Fill(st, status);
  return true;
}
bool QueryStatus(int fd, FileStatus& status) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return false;
  Fill(st, status);
  return true;
}
int OpenForReading(const char* path) { return open(path, kReadFlags); }
long long ReadSome(int fd, char* buffer, std::size_t count) {
  return read(fd, buffer, std::min(count, kMaxRead));
}
void CloseFile(int fd) { close(fd); }

int OpenLongPath(const std::string& path, FileStatus& status, int& error) {
  std::size_t cut = path.rfind('/', PATH_MAX - 1);
  if (cut == std::string::npos || cut == 0) {
    error = ENAMETOOLONG;
    return -1;
  }
  int folder = open(path.substr(0, cut).c_str(), kFolderFlags);
  std::size_t begin = cut + 1;
  for (;;) {
    if (folder < 0) {
      error = errno;
      return -1;
    }
    const std::size_t slash = path.find('/', begin);
    const std::string name = path.substr(begin, slash == std::string::npos ? slash : slash - begin);
    if (slash == std::string::npos) {
      int fd = -1;
      struct stat st {};
      if (name.empty()) {
        error = EISDIR;
      } else if (fstatat(folder, name.c_str(), &st, 0) != 0) {
        error = errno;
      } else if (Fill(st, status), !status.regular) {
        error = EISDIR;  // no regular file: the caller passes it over
      } else {
        fd = openat(folder, name.c_str(), kReadFlags);
        if (fd < 0) error = errno;
      }
      close(folder);
      return fd;
    }
    begin = slash + 1;
    if (name.empty()) continue;
    const int next = openat(folder, name.c_str(), kFolderFlags);
    close(folder);
    folder = next;
  }
}

}  // namespace korvel::file_reading
