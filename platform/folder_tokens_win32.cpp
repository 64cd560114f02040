#include <windows.h>

#include "platform/folder_tokens.h"

namespace korvel {
namespace {

// Asks for the length first, so that no fixed-size buffer limits the path.
template <typename Getter>
std::string ReadFolder(Getter getter) {
  std::string path;
  UINT size = getter(nullptr, 0);
  while (size > 0) {
    path.assign(size, '\0');
    const UINT written = getter(path.data(), size);
    if (written == 0) {
      path.clear();
      break;
    }
    if (written < size) {
      path.resize(written);
      break;
    }
    size = written;  // grew meanwhile: ask again with the new size
  }
  return path + "\\";
}

}  // namespace

std::string SpecialFolderPath(SpecialFolder which) {
  switch (which) {
    case SpecialFolder::Windows: return ReadFolder(GetWindowsDirectoryA);
    case SpecialFolder::System: return ReadFolder(GetSystemDirectoryA);
    case SpecialFolder::Root: break;
  }
  // The drive root of the Windows folder, such as C:\.
  return ReadFolder(GetWindowsDirectoryA).substr(0, 3);
}

}  // namespace korvel
