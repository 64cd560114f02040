#pragma once
// The list of paths that --files-from names, read as it comes: the sweep
// starts on the first path while a slow producer is still writing the rest.
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace korvel {

// Entries of a path list: one a line (LF, with a CR before it dropped), or,
// with `nul_separated`, each ended by a NUL. Empty entries are skipped. Memory
// stays bounded: an entry longer than kMaxEntry is passed over whole.
class PathListReader {
 public:
  // Longer than any path a system takes (Windows' 32,767 UTF-16 units are at
  // most 98,301 bytes of UTF-8).
  static constexpr std::size_t kMaxEntry = std::size_t{128} << 10;

  // `waiting` is called once before each wait for the producer; `stopped` is
  // asked while waiting: true ends the list.
  PathListReader(std::FILE* stream, bool nul_separated, std::function<void()> waiting = {},
                 std::function<bool()> stopped = {});

  // The next entry; false at the end of the list, on a failure (Error()) or
  // when stopped.
  bool Next(std::string& entry);
  // The system's error number when a read failed, else 0.
  int Error() const { return error_; }
  // Entries passed over for their length so far.
  std::size_t TooLong() const { return too_long_; }

 private:
  bool Fill();

  std::FILE* stream_;
  const char end_;
  std::function<void()> waiting_;
  std::function<bool()> stopped_;
  std::vector<char> block_;
  std::size_t pos_ = 0, size_ = 0;
  bool at_end_ = false, skipping_ = false;
  int error_ = 0;
  std::size_t too_long_ = 0;
};

}  // namespace korvel
