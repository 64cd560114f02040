#include "platform/terminal.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace korvel {

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

bool IsLive(std::FILE* stream) {
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  const DWORD type = GetFileType(handle);
  return type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

bool ReaderGone(std::FILE*) { return false; }

void OpenNullOnClosedStandardDescriptors() {
  // _open takes the lowest free descriptor, as on POSIX.
  for (int fd = 0; fd <= 2; ++fd)
    if (_get_osfhandle(fd) == -1 && _open("NUL", _O_RDWR | _O_BINARY) == -1) break;
}

void SetBinary(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

long long ReadAvailable(std::FILE* stream, char* buffer, std::size_t count, int timeout_ms) {
  const int fd = _fileno(stream);
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (GetFileType(handle) == FILE_TYPE_PIPE) {
    // A pipe can be asked what it holds; a read of it would block.
    DWORD available = 0;
    for (int waited = 0;; waited += 10) {
      if (!PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr)) break;  // closed: read says so
      if (available > 0) break;
      if (waited >= timeout_ms) return -2;
      Sleep(10);
    }
    if (available > 0 && available < count) count = available;
  }
  const unsigned chunk = count > 0x7fffffffu ? 0x7fffffffu : static_cast<unsigned>(count);
  return _read(fd, buffer, chunk);
}

}  // namespace korvel
