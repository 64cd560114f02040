// Whole-file replacement through a temporary file and a rename.
#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/file_platform.h"
#include "platform/path.h"

namespace korvel {
namespace {

using namespace file_platform;

constexpr std::size_t kBufferSize = 64 * 1024;

// The temporary file's name: the target's, cut short so that the suffix
// still fits within the file system's name limit.
std::string TempStem(const std::string& target) {
  constexpr std::size_t kMaxStem = 100;
  const auto slash = target.find_last_of(kPathSeparators);
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  return target.substr(0, name_start + std::min(target.size() - name_start, kMaxStem));
}

std::string UniqueSuffix(unsigned attempt) {
  static std::uint32_t counter = 0;
  const auto ticks =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const std::uint64_t mix = ticks ^ (static_cast<std::uint64_t>(ProcessId()) << 32) ^
                            (static_cast<std::uint64_t>(++counter) << 16) ^ attempt;
  char text[24];
  std::snprintf(text, sizeof text, "%08lx",
                static_cast<unsigned long>((mix ^ (mix >> 32)) & 0xFFFFFFFFu));
  return text;
}

}  // namespace

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::RemoveTempFilesOnSignals() { RemoveWatchedFilesOnSignals(); }

bool AtomicFile::Fail() {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
  failed_ = true;
  return false;
}

std::string AtomicFile::ErrorText() const { return std::strerror(error_ != 0 ? error_ : EIO); }

bool AtomicFile::Open(const std::string& target, unsigned new_mode) {
  Discard();
  target_ = ResolveLinks(target);
  failed_ = false;
  error_ = 0;
  buffer_.clear();
  const std::string stem = TempStem(target_);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = stem + "." + UniqueSuffix(attempt) + ".tmp";
    fd_ = CreateExclusive(candidate, new_mode);
    if (fd_ >= 0) {
      temp_ = std::move(candidate);
      watch_ = WatchFile(temp_);
      break;
    }
    if (errno != EEXIST) return Fail();
  }
  if (fd_ < 0) return Fail();
  CopyPermissions(target_, fd_);
  buffer_.reserve(kBufferSize);
  return true;
}

bool AtomicFile::WriteAll(const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const long n = WriteSome(fd_, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return Fail();
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

bool AtomicFile::Flush() {
  if (fd_ < 0 || failed_) return false;
  return Drain();
}

bool AtomicFile::Commit() {
  if (fd_ < 0) return false;
  bool ok = !failed_ && Drain() && (SyncFile(fd_) || Fail());
  if (CloseFile(fd_) != 0 && ok) ok = Fail();
  fd_ = -1;
  if (ok && !RenameOver(temp_, target_)) ok = Fail();
  if (!ok) std::remove(temp_.c_str());
  ForgetFile(std::exchange(watch_, -1));
  temp_.clear();
  if (!ok) return false;
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
    ForgetFile(std::exchange(watch_, -1));
    temp_.clear();
  }
  buffer_.clear();
}

}  // namespace korvel
