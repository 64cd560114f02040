#include "scan/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include "platform/file_reading.h"

namespace korvel {
namespace {

using namespace file_reading;

// Growth step when a source turns out longer than its size said.
constexpr std::size_t kGrowth = std::size_t{64} << 10;

// One read at most: short enough that a cancel is seen at once.
constexpr std::size_t kReadStep = std::size_t{4} << 20;

bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

// The status query found nothing to read: the entry is gone, a dangling or
// looping link, or a path through a file.
bool IsNothingThere(int error) { return error == ENOENT || error == ENOTDIR || error == ELOOP; }

// How far past its size at the open a file is read: a log written while it
// is swept is not chased for ever.

}  // namespace

TextFile::~TextFile() {
  if (fd_ >= 0) CloseFile(fd_);
}

OpenStatus TextFile::Open(const std::string& path, KnownKind known) {
  if (HasNul(path)) return OpenStatus::NotRegular;
  FileStatus st;
  const auto failed = [&](int error) {
    error_ = error;
    if (error == ENAMETOOLONG) {
      fd_ = OpenLongPath(path, st, error_);
      if (fd_ >= 0) return OpenStatus::Opened;
      if (error_ == EISDIR) return OpenStatus::NotRegular;
    }
    if (IsNothingThere(error_))
      return known == KnownKind::Regular ? OpenStatus::Vanished : OpenStatus::NotRegular;
    if (error_ == ENAMETOOLONG) return OpenStatus::PathTooLong;
    return OpenStatus::CannotOpen;
  };
  if (known == KnownKind::Unknown) {
    if (!QueryStatus(path.c_str(), st)) {
      if (const OpenStatus status = failed(errno); status != OpenStatus::Opened) return status;
    } else if (!st.regular) {
      return OpenStatus::NotRegular;
    }
  }
  if (fd_ < 0) {
    fd_ = OpenForReading(path.c_str());
    if (fd_ < 0) {
      if (const OpenStatus status = failed(errno); status != OpenStatus::Opened) return status;
    }
  }
  // The one status query of a walked file: on the open file, so that what was
  // opened is what is read.
  if (!QueryStatus(fd_, st)) {
    error_ = errno;
    return OpenStatus::CannotOpen;
  }
  if (!st.regular) return OpenStatus::NotRegular;
  if (st.size < 0) {
    error_ = EINVAL;
    return OpenStatus::CannotOpen;
  }
  size_ = static_cast<std::uint64_t>(st.size);
  identity_ = FileIdentity{st.device, st.inode};
  return OpenStatus::Opened;
}

long long TextFile::Read(char* buffer, std::size_t count) {
  for (;;) {
    const long long n = ReadSome(fd_, buffer, count);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    error_ = errno;
    return -1;
  }
}

TextRead ReadText(ByteSource& source, std::uint64_t size, std::string& text,
                  const TextReadControl& control) {
  // A file larger than memory can address cannot be held at all.
  if (size >= std::numeric_limits<std::size_t>::max() / 4) throw std::bad_alloc();
  const auto announced = static_cast<std::size_t>(size);
  const std::size_t limit = static_cast<std::size_t>(
      announced == 0 ? kUnsizedReadLimit : announced + ReadGrowthMargin(announced));
  TextRead result;
  // One byte more than the size: room for the final LF, and a way to notice
  // a file that grew. The storage of the last file is reused as it stands.
  const std::size_t cap = limit + 1;
  std::size_t got = 0;
  // Reserved, then filled a step at a time: no pass over a huge buffer
  // before the first read, so a cancel is seen at once.
  if (text.capacity() < std::min(announced + 1, cap)) {
    text.clear();
    text.reserve(std::min(announced + 1, cap));
  }
  // Room for the whole of a small file at once, so that one read takes it.
  const std::size_t first = std::min({announced + 1, cap, std::max(text.size(), kReadStep)});
  if (text.size() < first) text.resize(first);
  for (;;) {
    if (control.cancel != nullptr && control.cancel->load(std::memory_order_relaxed)) {
      result.end = TextReadEnd::Cancelled;
      break;
    }
    if (got >= cap) {
      if (announced == 0) throw std::bad_alloc();
      got = limit;
      result.end = TextReadEnd::Grew;
      break;
    }
    if (got == text.size()) {
      const std::size_t room =
          got < text.capacity() ? std::min(text.capacity(), got + kReadStep)
                                : got + std::max(got / 2, kGrowth);
      text.resize(std::min(cap, room));
    }
    const std::size_t want = std::min({kReadStep, text.size() - got, cap - got});
    const long long n = source.Read(&text[got], want);
    if (n < 0) {
      result.end = TextReadEnd::Failed;
      result.error = source.Error();
      break;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
    if (control.bytes_read != nullptr)
      control.bytes_read->fetch_add(static_cast<std::uint64_t>(n), std::memory_order_relaxed);
    // A regular file's read comes short only at its end: all that its size
    // promised is here, so no further read is needed to learn of the end.
    if (source.ShortReadIsEnd() && announced != 0 && got >= announced &&
        static_cast<std::size_t>(n) < want)
      break;
  }
  text.resize(got);
  ConvertToText(text);
  return result;
}

bool ReadTextFile(const std::string& path, std::string& text) {
  text.clear();
  TextFile file;
  if (file.Open(path, KnownKind::Unknown) != OpenStatus::Opened) return false;
  ReadText(file, file.Size(), text);
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
