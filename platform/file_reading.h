#pragma once
// Reading a file's bytes through the C runtime's descriptors, the same calls
// on every platform: the status of a path or of an opened file, an open that
// never blocks on a FIFO or device, bounded reads.
#include <cstddef>
#include <cstdint>
#include <string>

namespace korvel::file_reading {

struct FileStatus {
  bool regular = false;
  long long size = 0;
  std::uint64_t device = 0;  // with `inode`, tells one file whatever its path
  std::uint64_t inode = 0;
};

// The status of what the path leads to; false with errno set when there is
// none.
bool QueryStatus(const char* path, FileStatus& status);
// The status of the opened file; false with errno set when it cannot be read.
bool QueryStatus(int fd, FileStatus& status);
// A descriptor for reading, or -1 with errno set. Non-blocking, so that a
// FIFO or device swapped in after the status query cannot hang the open. It
// stays so for the reads: a regular file ignores it, and a "regular" file
// whose read would wait (/proc/kmsg) fails at once.
int OpenForReading(const char* path);
// Reads at most `count` bytes (fewer when the platform's single read is
// smaller); the count read, 0 at the end, -1 on failure (errno set).
long long ReadSome(int fd, char* buffer, std::size_t count);
void CloseFile(int fd);
// Opens a path longer than the system takes in one call: the longest leading
// part it takes, then one folder at a time relative to the last. Fills
// `status` with the file's status before it is opened, so that no device is
// opened. -1 with `error` set when it cannot (EISDIR: no regular file there;
// ENAMETOOLONG where the system has no such way).
int OpenLongPath(const std::string& path, FileStatus& status, int& error);

}  // namespace korvel::file_reading
