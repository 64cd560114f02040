// Whole-file replacement through a temporary file and a rename.
#include "settings/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace korvel {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

#ifdef _WIN32
int OpenExclusive(const std::string& path, unsigned) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
               _S_IREAD | _S_IWRITE);
}
long WriteSome(int fd, const char* data, std::size_t size) {
  const unsigned chunk = size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
  return _write(fd, data, chunk);
}
bool SyncFile(int fd) { return _commit(fd) == 0; }
int CloseFile(int fd) { return _close(fd); }
unsigned long ProcessId() { return static_cast<unsigned long>(_getpid()); }
bool ReplaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
void SyncFolderOf(const std::string&) {}  // MOVEFILE_WRITE_THROUGH covers it
constexpr std::string_view kSeparators = "\\/";
std::string ResolveLinks(const std::string& path) { return path; }
#else
int OpenExclusive(const std::string& path, unsigned mode) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                static_cast<mode_t>(mode));
  } while (fd < 0 && errno == EINTR);
  return fd;
}
long WriteSome(int fd, const char* data, std::size_t size) {
  return static_cast<long>(::write(fd, data, size));
}
bool SyncFile(int fd) { return ::fsync(fd) == 0; }
int CloseFile(int fd) { return ::close(fd); }
unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }
bool ReplaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}
// Makes the rename itself durable; best effort.
void SyncFolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}
constexpr std::string_view kSeparators = "/";
// An existing file reached through a link is replaced where it really lives,
// so the link stays a link.
std::string ResolveLinks(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string resolved(real);
  std::free(real);
  return resolved;
}
#endif

// The temporary file's name: the target's, cut short so that the suffix
// still fits within the file system's name limit.
std::string TempStem(const std::string& target) {
  constexpr std::size_t kMaxStem = 100;
  const auto slash = target.find_last_of(kSeparators);
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  return target.substr(0, name_start + std::min(target.size() - name_start, kMaxStem));
}

std::string UniqueSuffix(unsigned attempt) {
  static std::uint32_t counter = 0;
  const auto ticks = static_cast<std::uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  const std::uint64_t mix = ticks ^ (static_cast<std::uint64_t>(ProcessId()) << 32) ^
                            (static_cast<std::uint64_t>(++counter) << 16) ^ attempt;
  char text[24];
  std::snprintf(text, sizeof text, "%08lx",
                static_cast<unsigned long>((mix ^ (mix >> 32)) & 0xFFFFFFFFu));
  return text;
}

}  // namespace

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open(const std::string& target, unsigned new_mode) {
  Discard();
  target_ = ResolveLinks(target);
  failed_ = false;
  buffer_.clear();
  struct stat old {};
  const bool replacing = ::stat(target_.c_str(), &old) == 0;
  const std::string stem = TempStem(target_);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = stem + "." + UniqueSuffix(attempt) + ".tmp";
    fd_ = OpenExclusive(candidate, new_mode);
    if (fd_ >= 0) {
      temp_ = std::move(candidate);
      break;
    }
    if (errno != EEXIST) return false;
  }
  if (fd_ < 0) return false;
#ifndef _WIN32
  // A replaced file keeps its permissions (the umask would narrow them).
  if (replacing) (void)::fchmod(fd_, old.st_mode & 07777);
#else
  (void)replacing;
#endif
  buffer_.reserve(kBufferSize);
  return true;
}

bool AtomicFile::WriteAll(const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const long n = WriteSome(fd_, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool AtomicFile::Drain() {
  const bool ok = WriteAll(buffer_.data(), buffer_.size());
  buffer_.clear();
  return ok;
}

bool AtomicFile::Write(std::string_view bytes) {
  if (fd_ < 0 || failed_) return false;
  if (buffer_.size() + bytes.size() > kBufferSize && !Drain()) return false;
  if (bytes.size() >= kBufferSize) return WriteAll(bytes.data(), bytes.size());
  buffer_.append(bytes.data(), bytes.size());
  return true;
}

bool AtomicFile::Commit() {
  if (fd_ < 0) return false;
  bool ok = !failed_ && Drain() && SyncFile(fd_);
  if (CloseFile(fd_) != 0) ok = false;
  fd_ = -1;
  if (ok) ok = ReplaceFile(temp_, target_);
  if (!ok) {
    std::remove(temp_.c_str());
    temp_.clear();
    return false;
  }
  temp_.clear();
  SyncFolderOf(target_);
  return true;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    CloseFile(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    std::remove(temp_.c_str());
    temp_.clear();
  }
  buffer_.clear();
}

}  // namespace korvel
