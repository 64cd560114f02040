#include "scan/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace korvel {
namespace {

// Largest single read; keeps each request well inside what every platform's
// read call accepts.
constexpr std::size_t kMaxRead = std::size_t{1} << 30;
// Growth step when a file turns out longer than its size said (a file that
// grows while being read, or one that reports no size).
constexpr std::size_t kGrowth = std::size_t{64} << 10;

#ifdef _WIN32
using FileStatus = struct _stat64;
bool QueryStatus(const char* path, FileStatus& st) { return _stat64(path, &st) == 0; }
bool QueryStatus(int fd, FileStatus& st) { return _fstat64(fd, &st) == 0; }
bool IsRegular(const FileStatus& st) { return (st.st_mode & _S_IFMT) == _S_IFREG; }
int OpenForReading(const char* path) { return _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT); }
bool PrepareForReading(int) { return true; }
long long ReadSome(int fd, char* buffer, std::size_t count) {
  return _read(fd, buffer, static_cast<unsigned>(std::min(count, kMaxRead)));
}
void CloseFile(int fd) { _close(fd); }
#else
using FileStatus = struct stat;
bool QueryStatus(const char* path, FileStatus& st) { return stat(path, &st) == 0; }
bool QueryStatus(int fd, FileStatus& st) { return fstat(fd, &st) == 0; }
bool IsRegular(const FileStatus& st) { return S_ISREG(st.st_mode); }
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
#endif

class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) CloseFile(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

// Reads to the end of the file. A read error ends the content like the end
// of the file does: what was read until then is kept.
void ReadAll(int fd, std::size_t size_hint, std::string& text) {
  // One byte more than the file's size: room for the final LF, and a way to
  // notice a file that grew.
  text.resize(size_hint + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == text.size()) text.resize(got + std::max(got / 2, kGrowth));
    const long long n = ReadSome(fd, &text[got], text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  text.resize(got);
}

}  // namespace

bool IsRegularFile(const std::string& path) {
  FileStatus st;
  return !HasNul(path) && QueryStatus(path.c_str(), st) && IsRegular(st);
}

bool ReadTextFile(const std::string& path, std::string& text) {
  text.clear();
  if (!IsRegularFile(path)) return false;
  FileHandle file(OpenForReading(path.c_str()));
  FileStatus st;
  if (file.get() < 0 || !QueryStatus(file.get(), st) || !IsRegular(st) ||
      !PrepareForReading(file.get()))
    return false;
  if (st.st_size < 0) return false;
  const auto size = static_cast<std::uintmax_t>(st.st_size);
  // A file larger than memory can address cannot be held at all.
  if (size >= std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
  ReadAll(file.get(), static_cast<std::size_t>(size), text);
  ConvertToText(text);
  return true;
}

void ConvertToText(std::string& bytes) {
  if (const void* end = std::memchr(bytes.data(), 0x1A, bytes.size()))
    bytes.resize(static_cast<std::size_t>(static_cast<const char*>(end) - bytes.data()));

  // Drop the CR of every CR LF, moving the text between CRs in one piece.
  char* const data = bytes.data();
  const std::size_t n = bytes.size();
  const void* first_cr = std::memchr(data, '\r', n);
  if (first_cr != nullptr) {
    std::size_t read = static_cast<std::size_t>(static_cast<const char*>(first_cr) - data);
    std::size_t write = read;
    while (read < n) {
      // data[read] is a CR: keep it when it stands alone, else keep its LF.
      if (read + 1 < n && data[read + 1] == '\n') ++read;
      const void* next = std::memchr(data + read + 1, '\r', n - read - 1);
      const std::size_t stop =
          next ? static_cast<std::size_t>(static_cast<const char*>(next) - data) : n;
      std::memmove(data + write, data + read, stop - read);
      write += stop - read;
      read = stop;
    }
    bytes.resize(write);
  }
  if (!bytes.empty() && bytes.back() != '\n') bytes.push_back('\n');
}

}  // namespace korvel
