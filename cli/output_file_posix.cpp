// Where korvel-sweep's output file is made and put in place, on POSIX.
#include "cli/output_file.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {
namespace {

std::string FolderOf(const std::string& path) {
  const auto last = path.rfind('/');
  if (last == std::string::npos) return ".";
  if (last == 0) return path.substr(0, 1);
  return path.substr(0, last);
}

std::string NameOf(const std::string& path) {
  const auto last = path.rfind('/');
  return last == std::string::npos ? path : path.substr(last + 1);
}

// A named temporary file is removed if the program is interrupted.
volatile std::sig_atomic_t g_have_temp = 0;
char g_temp_name[4096];

extern "C" void RemoveTempAndDie(int signal_number) {
  if (g_have_temp) unlink(g_temp_name);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void WatchTemp(const std::string& name) {
  if (name.size() >= sizeof(g_temp_name)) return;
  std::memcpy(g_temp_name, name.c_str(), name.size() + 1);
  g_have_temp = 1;
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
    std::signal(signal_number, RemoveTempAndDie);
}

void ForgetTemp() { g_have_temp = 0; }

// The permission bits a new file would get, or those of the file replaced.
mode_t TargetMode(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool OutputFile::Open(const std::string& requested, std::string& error) {
  std::string path = requested;
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    // Replace the file that the link leads to, not the link.
    if (char* resolved = realpath(path.c_str(), nullptr)) {
      path = resolved;
      std::free(resolved);
    }
  }
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    error = "is a folder";
    return false;
  }
  const std::string folder = FolderOf(path);
  const mode_t mode = TargetMode(path);
  int fd = -1;
#ifdef O_TMPFILE
  // A file without a name: nothing is left behind whatever ends the program,
  // and a sweep of this folder cannot come across it.
  if (access("/proc/self/fd", X_OK) == 0) {
    fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    anonymous_ = fd >= 0;
  }
#endif
  if (fd < 0) {
    std::string name = folder + "/." + NameOf(path) + ".XXXXXX";
    fd = mkstemp(name.data());
    if (fd < 0) {
      error = std::strerror(errno);
      return false;
    }
    temp_path_ = name;
    WatchTemp(temp_path_);
    fchmod(fd, mode);
  }
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    error = std::strerror(errno);
    close(fd);
    Discard();
    return false;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);
  stream_ = file;
  path_ = path;
  return true;
}


void OutputFile::PutInPlace() {
  const int fd = fileno(stream_);
  if (error_ == 0 && fsync(fd) != 0 && errno != EINVAL && errno != EROFS) error_ = errno;
  if (error_ == 0 && anonymous_) {
    // Give the file a name beside the target for the moment of the rename.
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    const std::string base = FolderOf(path_) + "/." + NameOf(path_) + ".";
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
      std::string name = base + std::to_string(getpid()) + "-" + std::to_string(attempt);
      if (linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        temp_path_ = name;
        WatchTemp(temp_path_);
        break;
      }
      if (errno != EEXIST) break;
    }
    if (temp_path_.empty()) error_ = errno;
  }
  if (std::fclose(stream_) != 0 && error_ == 0) error_ = errno;
  stream_ = nullptr;
  if (error_ == 0 && rename(temp_path_.c_str(), path_.c_str()) != 0) error_ = errno;
}

void OutputFile::ForgetTempFile() { ForgetTemp(); }

}  // namespace korvel
