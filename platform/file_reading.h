#pragma once
// Reading a file's bytes through the C runtime's descriptors, the same calls
// on every platform: open without blocking on a FIFO or device, the status of
// the opened file, bounded reads.
#include <cstddef>

namespace korvel::file_reading {

struct OpenedStatus {
  bool regular = false;
  long long size = 0;
};

// A descriptor for reading, or -1. Never blocks: a FIFO or device swapped in
// after a status query cannot hang the open.
int OpenForReading(const char* path);
// The status of the opened file; false when it cannot be read.
bool QueryStatus(int fd, OpenedStatus& status);
// Makes reads wait for data again after the non-blocking open.
bool PrepareForReading(int fd);
// Reads at most `count` bytes (fewer when the platform's single read is
// smaller); the count read, 0 at the end, -1 on failure (errno set).
long long ReadSome(int fd, char* buffer, std::size_t count);
void CloseFile(int fd);

}  // namespace korvel::file_reading
