#pragma once
// The file-system calls of the export and of whole-file replacement, one
// implementation per platform (file_platform_posix.cpp, file_platform_win32.cpp).
// Paths are 8-bit bytes as the program has them (the ANSI code page on
// Windows); file descriptors are the C runtime's.
#include <cstddef>
#include <cstdio>
#include <string>

namespace korvel::file_platform {

// Whether the user may write the existing file.
bool MayWrite(const std::string& path);
// Whether the existing file is marked read-only: nobody may write it (no
// write permission at all, or the read-only attribute), whatever rights the
// user has beyond that. Links are followed.
bool IsReadOnly(const std::string& path);
// Lets the owner write the file again (clears read-only).
void MakeWritable(const std::string& path);

// Creates a new file for writing, failing (EEXIST) when the name is taken;
// `mode` less the umask where files have modes. -1 on failure.
int CreateExclusive(const std::string& path, unsigned mode);
// Writes part of `data`; the count written, or -1.
long WriteSome(int fd, const char* data, std::size_t size);
bool SyncFile(int fd);
bool SyncStream(std::FILE* file);
int CloseFile(int fd);
// Gives the new file `fd` the permissions of the file at `target`, where
// files have them and it exists.
void CopyPermissions(const std::string& target, int fd);

unsigned long ProcessId();
// Renames `from` over `to` in one step.
bool RenameOver(const std::string& from, const std::string& to);
// Makes a rename inside the path's folder durable; best effort.
void SyncFolderOf(const std::string& path);
// The path of the file itself when `path` is a link: of an existing file, or
// where a dangling link leads (the file a replacement creates there).
std::string ResolveLinks(const std::string& path);

// Temporary files that are removed when the process is ended by SIGINT,
// SIGTERM, SIGHUP or SIGPIPE, once RemoveWatchedFilesOnSignals has been called
// (POSIX; on Windows these do nothing). WatchFile returns a slot for
// ForgetFile, or -1 when no slot is free.
void RemoveWatchedFilesOnSignals();
int WatchFile(const std::string& path);
void ForgetFile(int slot);

}  // namespace korvel::file_platform
