#include "platform/folder_tokens.h"

namespace korvel {

std::string SpecialFolderPath(SpecialFolder which) {
  switch (which) {
    case SpecialFolder::Windows: return "/etc/";
    case SpecialFolder::System: return "/usr/lib/";
    case SpecialFolder::Root: break;
  }
  return "/";
}

}  // namespace korvel
