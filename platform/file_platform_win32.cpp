// The file-system calls on Windows: the C runtime's ANSI calls, and the
// system's ANSI calls for attributes and the rename.
#include "platform/file_platform.h"

#include <cerrno>

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

namespace korvel::file_platform {

bool MayWrite(const std::string& path) { return _access(path.c_str(), 2) == 0; }

void MakeWritable(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

int CreateExclusive(const std::string& path, unsigned) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
               _S_IREAD | _S_IWRITE);
}

long WriteSome(int fd, const char* data, std::size_t size) {
  const unsigned chunk = size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
  return _write(fd, data, chunk);
}

bool SyncFile(int fd) { return _commit(fd) == 0; }

bool SyncStream(std::FILE* file) { return _commit(_fileno(file)) == 0; }

int CloseFile(int fd) { return _close(fd); }

void CopyPermissions(const std::string&, int) {}  // no modes beyond read-only

unsigned long ProcessId() { return static_cast<unsigned long>(_getpid()); }

bool RenameOver(const std::string& from, const std::string& to) {
  constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (MoveFileExA(from.c_str(), to.c_str(), kFlags) != 0) return true;
  errno = EACCES;  // the caller's message reads errno
  return false;
}

void SyncFolderOf(const std::string&) {}  // MOVEFILE_WRITE_THROUGH covers it

std::string ResolveLinks(const std::string& path) { return path; }

bool IsReadOnly(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// A console program's Ctrl+C ends it without a handler that could run here.
void RemoveWatchedFilesOnSignals() {}
int WatchFile(const std::string&) { return -1; }
void ForgetFile(int) {}

}  // namespace korvel::file_platform
