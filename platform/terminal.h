#pragma once
// What a command-line program asks of its standard streams, one
// implementation per platform (terminal_posix.cpp, terminal_win32.cpp).
#include <cstddef>
#include <cstdio>

namespace korvel {

// Whether `stream` goes to a terminal.
bool IsTerminal(std::FILE* stream);
// Whether `stream` goes to a reader waiting for it (a terminal, pipe or
// socket) rather than to a file.
bool IsLive(std::FILE* stream);

// Whether the reader of a pipe at `stream` has gone (as head does when it
// has its lines). False where that cannot be told.
bool ReaderGone(std::FILE* stream);

// Opens the null device on each of descriptors 0, 1 and 2 that is closed,
// so that no file opened later takes one of them and gets what is meant for
// standard error or output. Call it first thing.
void OpenNullOnClosedStandardDescriptors();

// The stream takes bytes as they are (no LF to CR LF).
void SetBinary(std::FILE* stream);

// Reads what `stream`'s descriptor has now, up to `count` bytes, waiting at
// most `timeout_ms` for the first: the count, 0 at the end, -1 on a failure
// (errno set), -2 when nothing came in time. Unbuffered, so a pipe's lines
// are taken as they are written. Where a wait cannot be bounded (Windows) the
// read blocks.
long long ReadAvailable(std::FILE* stream, char* buffer, std::size_t count, int timeout_ms);

}  // namespace korvel
