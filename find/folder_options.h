#pragma once
#include <string>

namespace korvel {

// The folder fields of a sweep, as a value.
struct FolderOptions {
  std::string keywords;    // the Keywords text, unchanged
  std::string extensions;  // the Extensions text, unchanged
  bool local = false;      // only the folder itself, no subfolders
};

}  // namespace korvel
