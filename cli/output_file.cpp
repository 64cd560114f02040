#include "cli/output_file.h"

#include "settings/file_platform.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace korvel {
namespace {

std::string FolderOf(const std::string& path) {
#ifdef _WIN32
  const auto last = path.find_last_of("\\/");
#else
  const auto last = path.rfind('/');
#endif
  if (last == std::string::npos) return ".";
  if (last == 0) return path.substr(0, 1);
  return path.substr(0, last);
}

std::string NameOf(const std::string& path) {
#ifdef _WIN32
  const auto last = path.find_last_of("\\/");
#else
  const auto last = path.rfind('/');
#endif
  return last == std::string::npos ? path : path.substr(last + 1);
}

#ifndef _WIN32
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
#endif

}  // namespace

OutputFile::OutputFile() {
  buffer_.reserve(kBlock + kBlock / 4);
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  stream_ = stdout;
}

OutputFile::~OutputFile() { Discard(); }

#ifdef _WIN32

bool OutputFile::Open(const std::string& requested, std::string& error) {
  if (file_platform::Exists(requested) && !file_platform::ExistsAsFile(requested)) {
    error = "is not a file";
    return false;
  }
  const std::string pattern = FolderOf(requested) + "\\~" + NameOf(requested) + ".XXXXXX";
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    std::string name = pattern;
    if (_mktemp(name.data()) == nullptr) break;
    fd = _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0) temp_path_ = name;
    else if (errno != EEXIST) break;
  }
  std::FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
  if (file == nullptr) {
    error = std::strerror(errno);
    if (fd >= 0) _close(fd);
    Discard();
    return false;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);
  stream_ = file;
  path_ = requested;
  return true;
}

#else

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

#endif

void OutputFile::Flush() {
  if (!buffer_.empty() && error_ == 0) {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size())
      error_ = errno != 0 ? errno : EIO;
  }
  buffer_.clear();
}

void OutputFile::FlushNow() {
  Flush();
  if (error_ == 0 && std::fflush(stream_) != 0) error_ = errno != 0 ? errno : EIO;
}

bool OutputFile::Finish(std::string& error) {
  Flush();
  if (error_ == 0 && std::fflush(stream_) != 0) error_ = errno;
  if (path_.empty()) {
    if (error_ != 0) error = std::strerror(error_);
    return error_ == 0;
  }
#ifdef _WIN32
  if (std::fclose(stream_) != 0 && error_ == 0) error_ = errno;
  stream_ = nullptr;
  if (error_ == 0 && !file_platform::RenameOver(temp_path_, path_)) error_ = EACCES;
#else
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
#endif
  if (error_ != 0) {
    error = std::strerror(error_);
    Discard();
    return false;
  }
  temp_path_.clear();
#ifndef _WIN32
  ForgetTemp();
#endif
  path_.clear();
  stream_ = stdout;
  return true;
}

void OutputFile::Discard() {
  if (!path_.empty() && stream_ != nullptr && stream_ != stdout) std::fclose(stream_);
  if (!temp_path_.empty()) std::remove(temp_path_.c_str());
#ifndef _WIN32
  ForgetTemp();
#endif
  temp_path_.clear();
  path_.clear();
  stream_ = stdout;
  buffer_.clear();
}

}  // namespace korvel
