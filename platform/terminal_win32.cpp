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

}  // namespace korvel
