#include "cli/cli_platform.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace korvel::cli_platform {

PathKind KindOf(const std::string& path) {
  struct _stat64 st;
  if (_stat64(path.c_str(), &st) != 0) return PathKind::Missing;
  const auto type = st.st_mode & _S_IFMT;
  return type == _S_IFREG ? PathKind::File : type == _S_IFDIR ? PathKind::Folder : PathKind::Other;
}

char FolderSeparator() { return '\\'; }

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

bool IsLive(std::FILE* stream) {
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  const DWORD type = GetFileType(handle);
  return type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

bool ReaderGone(std::FILE*) { return false; }

void SetBinary(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

}  // namespace korvel::cli_platform
