#pragma once
// Reading a file as text, the same way on every platform: each CR LF arrives
// as LF, the first 0x1A (Ctrl+Z) ends the content, a lone CR and NUL arrive
// unchanged, and a last line without a line end gets one.
#include <atomic>
#include <cstdint>
#include <string>

namespace korvel {

// Replaces `text` by the text content of the regular file at `path`. Returns
// false, with `text` empty, when the path names no regular file or the file
// cannot be opened; never blocks on a FIFO, a device or a file such as
// /proc/kmsg whose read would wait. A file that fails while being read gives
// what was read up to the failure. Throws std::bad_alloc when the content
// does not fit in memory.
bool ReadTextFile(const std::string& path, std::string& text);

// How a read ended, for callers that report what could not be read.
enum class ReadStatus {
  Read,
  NotRegular,  // nothing there, or no regular file: passed over silently
  CannotOpen,
  CannotRead,  // `text` holds what was read before the failure
  PathTooLong,
  Cancelled,  // `text` is incomplete
};

struct ReadReport {
  ReadStatus status = ReadStatus::Read;
  int error = 0;           // errno of the failure
  std::uint64_t size = 0;  // the size the system reported for the opened file
};

// What a sweep engine hands a read: a flag polled between chunks, and a
// counter of the bytes as they arrive. Both may be null.
struct ReadControl {
  const std::atomic<bool>* cancel = nullptr;
  std::atomic<std::uint64_t>* bytes_read = nullptr;
};

// ReadTextFile with the reason of a failure. Paths longer than the system
// takes in one piece are opened folder by folder where the system allows.
// Throws std::bad_alloc as ReadTextFile does.
ReadReport ReadTextFileReporting(const std::string& path, std::string& text,
                                 const ReadControl& control = {});

// Turns raw file bytes into text content in place (see above). An empty
// result stays empty; otherwise the result ends in LF.
void ConvertToText(std::string& bytes);

}  // namespace korvel
