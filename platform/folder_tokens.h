#pragma once
// The folders behind the directory tokens -win, -sys and -root.
#include <string>

namespace korvel {

enum class SpecialFolder {
  Windows,  // Windows: the Windows folder; elsewhere /etc, the system's configuration
  System,   // Windows: the system folder; elsewhere /usr/lib, the shared libraries
  Root,     // the root of the Windows folder's drive (C:\); elsewhere /
};

// The folder's path, ending with a separator.
std::string SpecialFolderPath(SpecialFolder which);

}  // namespace korvel
