#pragma once
// A forward-only stream of raw bytes: an open file, a member of an archive,
// a decompressed stream. The text reading and the scan take their bytes from
// one of these, so every kind of input goes through the same text rules.
#include <cstddef>

namespace korvel {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads at most `count` bytes into `buffer`: the count read, 0 at the end,
  // -1 on a failure (then Error() tells the system's error number).
  virtual long long Read(char* buffer, std::size_t count) = 0;
  virtual int Error() const { return 0; }
  // True for a regular file, whose read comes short only at its end; a pipe
  // or a decompressor may give less at any time.
  virtual bool ShortReadIsEnd() const { return false; }
};

}  // namespace korvel
