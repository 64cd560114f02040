#include "cli/path_list.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/terminal.h"

namespace korvel {
namespace {

// How long a wait for the producer lasts before `stopped` is asked again.
constexpr int kPollMs = 50;

}  // namespace

PathListReader::PathListReader(std::FILE* stream, bool nul_separated,
                               std::function<void()> waiting, std::function<bool()> stopped)
    : stream_(stream), end_(nul_separated ? '\0' : '\n'), waiting_(std::move(waiting)),
      stopped_(std::move(stopped)),
      block_(std::size_t{1} << 16) {}

bool PathListReader::Fill() {
  for (int timeout = 0;; timeout = kPollMs) {
    if (stopped_ && stopped_()) return false;
    const long long n = ReadAvailable(stream_, block_.data(), block_.size(), timeout);
    if (n == -2) {
      if (timeout == 0 && waiting_) waiting_();
      continue;
    }
    if (n < 0) error_ = errno != 0 ? errno : EIO;
    if (n <= 0) return false;
    pos_ = 0;
    size_ = static_cast<std::size_t>(n);
    return true;
  }
}

bool PathListReader::Next(std::string& entry) {
  entry.clear();
  while (!at_end_) {
    if (pos_ == size_ && !Fill()) {
      at_end_ = true;
      break;
    }
    const char* from = block_.data() + pos_;
    const auto* stop = static_cast<const char*>(std::memchr(from, end_, size_ - pos_));
    const std::size_t length = stop ? static_cast<std::size_t>(stop - from) : size_ - pos_;
    if (!skipping_) {
      if (entry.size() + length > kMaxEntry) {
        skipping_ = true;
        entry.clear();
      } else {
        entry.append(from, length);
      }
    }
    pos_ += length;
    if (stop == nullptr) continue;
    ++pos_;
    if (std::exchange(skipping_, false)) {
      ++too_long_;
      continue;
    }
    if (end_ == '\n' && !entry.empty() && entry.back() == '\r') entry.pop_back();
    if (!entry.empty()) return true;
  }
  // The last entry needs no separator after it.
  if (std::exchange(skipping_, false)) ++too_long_;
  if (end_ == '\n' && !entry.empty() && entry.back() == '\r') entry.pop_back();
  if (!entry.empty() && error_ == 0 && !(stopped_ && stopped_())) return true;
  entry.clear();
  return false;
}

}  // namespace korvel
