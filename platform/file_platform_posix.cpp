#include "platform/file_platform.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace korvel::file_platform {
namespace {

// What the signal handler may read: fixed buffers, published by a flag.
constexpr int kWatchSlots = 8;
char g_watched[kWatchSlots][4096];
volatile std::sig_atomic_t g_in_use[kWatchSlots];

extern "C" void RemoveWatchedAndDie(int signal_number) {
  for (int slot = 0; slot < kWatchSlots; ++slot)
    if (g_in_use[slot]) ::unlink(g_watched[slot]);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

}  // namespace

void RemoveWatchedFilesOnSignals() {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
    std::signal(signal_number, RemoveWatchedAndDie);
}

int WatchFile(const std::string& path) {
  if (path.size() >= sizeof g_watched[0]) return -1;
  for (int slot = 0; slot < kWatchSlots; ++slot) {
    if (g_in_use[slot]) continue;
    std::memcpy(g_watched[slot], path.c_str(), path.size() + 1);
    g_in_use[slot] = 1;
    return slot;
  }
  return -1;
}

void ForgetFile(int slot) {
  if (slot >= 0 && slot < kWatchSlots) g_in_use[slot] = 0;
}

bool MayWrite(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

bool IsReadOnly(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && ((st.st_mode & 0222) == 0 || !MayWrite(path));
}

void MakeWritable(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) (void)::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
}

int CreateExclusive(const std::string& path, unsigned mode) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
  } while (fd < 0 && errno == EINTR);
  return fd;
}

long WriteSome(int fd, const char* data, std::size_t size) {
  return static_cast<long>(::write(fd, data, size));
}

// A file system that cannot sync (EINVAL, EROFS) has the bytes all the same.
bool SyncFile(int fd) { return ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS; }

bool SyncStream(std::FILE* file) { return ::fsync(::fileno(file)) == 0; }

int CloseFile(int fd) { return ::close(fd); }

// A replaced file keeps its permissions (the umask would narrow them).
void CopyPermissions(const std::string& target, int fd) {
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) (void)::fchmod(fd, old.st_mode & 07777);
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

bool RenameOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void SyncFolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

// An existing file reached through a link is replaced where it really lives,
// so the link stays a link.
std::string ResolveLinks(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) {
    // A dangling link: follow it by hand to the name it leads to (as many
    // hops as the system allows), each target relative to its link's folder.
    std::string at = path;
    for (int hop = 0; hop < 40; ++hop) {
      struct stat st {};
      if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
      std::string target(static_cast<std::size_t>(st.st_size) + 1, '\0');
      const ssize_t n = ::readlink(at.c_str(), target.data(), target.size());
      if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) break;
      target.resize(static_cast<std::size_t>(n));
      const auto slash = at.rfind('/');
      at = target[0] == '/' || slash == std::string::npos ? target : at.substr(0, slash + 1) + target;
    }
    return at;
  }
  std::string resolved(real);
  std::free(real);
  return resolved;
}

}  // namespace korvel::file_platform
