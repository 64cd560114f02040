#include "scan/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "platform/file_reading.h"
#include "platform/file_status.h"

namespace korvel {
namespace {

// Growth step when a file turns out longer than its size said (a file that
// grows while being read, or one that reports no size).
constexpr std::size_t kGrowth = std::size_t{64} << 10;

using namespace file_reading;

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

bool ReadTextFile(const std::string& path, std::string& text) {
  text.clear();
  if (!IsRegularFileFollowingLinks(path)) return false;
  FileHandle file(OpenForReading(path.c_str()));
  OpenedStatus st;
  if (file.get() < 0 || !QueryStatus(file.get(), st) || !st.regular ||
      !PrepareForReading(file.get()))
    return false;
  if (st.size < 0) return false;
  const auto size = static_cast<std::uintmax_t>(st.size);
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
