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

void SetBinary(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

}  // namespace korvel
