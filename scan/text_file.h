#pragma once
// Reading a file as text, the same way on every platform: each CR LF arrives
// as LF, the first 0x1A (Ctrl+Z) ends the content, a lone CR and NUL arrive
// unchanged, and a last line without a line end gets one. This is the one
// door to a file's bytes: the one-thread sweep, the parallel sweep and the
// scanner's ScanFile all come through it.
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/file_status.h"
#include "scan/byte_source.h"

namespace korvel {

// What the caller already knows of a path: a walk tells a regular file by its
// folder entry, so the status query before the open can be left out.
enum class KnownKind { Unknown, Regular };

enum class OpenStatus {
  Opened,
  NotRegular,  // nothing there, or no regular file: passed over silently
  Vanished,    // a file the walk saw is gone
  CannotOpen,
  PathTooLong,
};

// An open regular file, read from the start. Never blocks on a FIFO, a
// device or a file such as /proc/kmsg whose read would wait.
class TextFile final : public ByteSource {
 public:
  TextFile() = default;
  ~TextFile() override;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // With `known` Unknown the path's status is asked first, so that nothing
  // but a regular file is ever opened; with Regular the status of the open
  // file decides. Error() tells the reason of a failure.
  OpenStatus Open(const std::string& path, KnownKind known);
  long long Read(char* buffer, std::size_t count) override;
  int Error() const override { return error_; }
  bool ShortReadIsEnd() const override { return true; }

  std::uint64_t Size() const { return size_; }
  FileIdentity Identity() const { return identity_; }

 private:
  int fd_ = -1;
  int error_ = 0;
  std::uint64_t size_ = 0;
  FileIdentity identity_;
};

struct TextReadControl {
  const std::atomic<bool>* cancel = nullptr;         // polled between reads
  std::atomic<std::uint64_t>* bytes_read = nullptr;  // counts bytes as they arrive
};

enum class TextReadEnd {
  End,
  Failed,     // a read failed: `text` holds what came before, `error` why
  Grew,       // the file grew past its size at the open and a margin; read that far
  Cancelled,  // `text` is incomplete
};

// A file that reports no size (as those of /proc and /sys do) is read up to
// this much: their real contents are far smaller (/proc/kallsyms is a few
// MB), and some are endless (/proc/self/pagemap).
inline constexpr std::uint64_t kUnsizedReadLimit = std::uint64_t{32} << 20;

// How far past its size at the open a file is read: a log written while it
// is swept is not chased for ever.
inline constexpr std::uint64_t ReadGrowthMargin(std::uint64_t size) {
  return size / 4 > (std::uint64_t{1} << 20) ? size / 4 : std::uint64_t{1} << 20;
}

struct TextRead {
  TextReadEnd end = TextReadEnd::End;
  int error = 0;
};

// Reads `source` to its end into `text` (replaced; its storage is reused) and
// turns it into text content. `size` is the size the source announced (0:
// unknown); a source that gives more than a margin past it is cut there. An
// unsized source that gives more than kUnsizedReadLimit throws std::bad_alloc, as does
// content that does not fit in memory.
TextRead ReadText(ByteSource& source, std::uint64_t size, std::string& text,
                  const TextReadControl& control = {});

// Replaces `text` by the text content of the regular file at `path`. Returns
// false, with `text` empty, when the path names no regular file or the file
// cannot be opened. A file that fails while being read gives what was read up
// to the failure. Throws std::bad_alloc when the content does not fit in
// memory.
bool ReadTextFile(const std::string& path, std::string& text);

// Turns raw file bytes into text content in place (see above). An empty
// result stays empty; otherwise the result ends in LF.
void ConvertToText(std::string& bytes);

}  // namespace korvel
