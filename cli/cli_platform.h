#pragma once
// What korvel-sweep asks of the system beyond the core, one implementation
// per platform (cli_platform_posix.cpp, cli_platform_win32.cpp).
#include <cstdio>
#include <string>

namespace korvel::cli_platform {

enum class PathKind { Missing, File, Folder, Other };

// What `path` names after following links; Missing with errno set.
PathKind KindOf(const std::string& path);

// The separator that ends a folder path.
char FolderSeparator();

// Whether `stream` goes to a terminal.
bool IsTerminal(std::FILE* stream);
// Whether `stream` goes to a reader waiting for it (a terminal, pipe or
// socket) rather than to a file.
bool IsLive(std::FILE* stream);

// Whether the reader of a pipe at `stream` has gone (as head does when it
// has its lines). False where that cannot be told.
bool ReaderGone(std::FILE* stream);

// Standard output takes bytes as they are (no LF to CR LF).
void SetBinary(std::FILE* stream);

}  // namespace korvel::cli_platform
