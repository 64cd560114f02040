#include "scan/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "platform/file_reading.h"

namespace korvel {
namespace {

// Growth step when a file turns out longer than its size said (a file that
// grows while being read, or one that reports no size).
constexpr std::size_t kGrowth = std::size_t{64} << 10;

using namespace file_reading;

// The most one uncancellable read asks for (ReadSome takes no more at once).
constexpr std::size_t kMaxRead = std::size_t{1} << 30;

// A file that reports no size (as those of /proc and /sys do) and yet gives
// more than this is endless for all practical purposes (/proc/self/pagemap).
constexpr std::size_t kUnsizedLimit = std::size_t{256} << 20;
// Chunk of a read that can be cancelled: short enough to answer at once.
constexpr std::size_t kCancellableRead = std::size_t{4} << 20;

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

// The status query found nothing to read: the entry is gone, a dangling or
// looping link, or a path through a file.
bool IsNothingThere(int error) { return error == ENOENT || error == ENOTDIR || error == ELOOP; }

// Reads to the end of the file. A read error ends the content like the end
// of the file does: what was read until then is kept, and the error is
// returned (0 at the end of the file, -1 when cancelled).
int ReadAll(int fd, std::size_t size_hint, std::string& text, const ReadControl& control) {
  // One byte more than the file's size: room for the final LF, and a way to
  // notice a file that grew.
  // Reserved, then filled a step at a time: no pass over the whole buffer
  // before the first read, so a cancel is seen at once also in a huge file.
  text.reserve(size_hint + 1);
  const std::size_t step = control.cancel != nullptr ? kCancellableRead : kMaxRead;
  std::size_t got = 0;
  int error = 0;
  for (;;) {
    if (control.cancel != nullptr && control.cancel->load(std::memory_order_relaxed)) {
      error = -1;
      break;
    }
    if (got == text.size()) {
      if (got < text.capacity()) {
        text.resize(std::min(text.capacity(), got + step));
      } else {
        if (size_hint == 0 && got > kUnsizedLimit) throw std::bad_alloc();
        text.resize(got + std::max(got / 2, kGrowth));
      }
    }
    const long long n = ReadSome(fd, &text[got], std::min(step, text.size() - got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
    if (control.bytes_read != nullptr)
      control.bytes_read->fetch_add(static_cast<std::uint64_t>(n), std::memory_order_relaxed);
  }
  text.resize(got);
  return error;
}

}  // namespace

bool ReadTextFile(const std::string& path, std::string& text) {
  const ReadStatus status = ReadTextFileReporting(path, text).status;
  return status == ReadStatus::Read || status == ReadStatus::CannotRead;
}

ReadReport ReadTextFileReporting(const std::string& path, std::string& text,
                                 const ReadControl& control) {
  text.clear();
  if (HasNul(path)) return {ReadStatus::NotRegular, 0};
  FileStatus st;
  int fd = -1;
  const auto failed = [&path, &st, &fd](int error) -> ReadReport {
    if (error == ENAMETOOLONG) {
      fd = OpenLongPath(path, st, error);
      if (fd >= 0) return {ReadStatus::Read, 0};
      if (error == EISDIR) return {ReadStatus::NotRegular, 0};
    }
    if (IsNothingThere(error)) return {ReadStatus::NotRegular, 0};
    if (error == ENAMETOOLONG) return {ReadStatus::PathTooLong, error};
    return {ReadStatus::CannotOpen, error};
  };
  if (!QueryStatus(path.c_str(), st)) {
    const ReadReport report = failed(errno);
    if (fd < 0) return report;
  } else if (!st.regular) {
    return {ReadStatus::NotRegular, 0};
  } else {
    fd = OpenForReading(path.c_str());
    if (fd < 0) {
      const ReadReport report = failed(errno);
      if (fd < 0) return report;
    }
  }
  FileHandle file(fd);
  if (!QueryStatus(file.get(), st)) return {ReadStatus::CannotOpen, errno};
  if (!st.regular) return {ReadStatus::NotRegular, 0};
  if (st.size < 0) return {ReadStatus::CannotRead, EINVAL};
  const auto size = static_cast<std::uintmax_t>(st.size);
  // A file larger than memory can address cannot be held at all.
  if (size >= std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
  const int error = ReadAll(file.get(), static_cast<std::size_t>(size), text, control);
  if (error < 0) return {ReadStatus::Cancelled, 0, size};
  ConvertToText(text);
  if (error > 0) return {ReadStatus::CannotRead, error, size};
  return {ReadStatus::Read, 0, size};
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
