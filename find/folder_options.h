#pragma once
#include <string>

namespace korvel {

// What the user is told when the finder refuses the folder fields.
inline constexpr const char* kInvalidFieldsWarning =
    "The Keywords/Extensions fields contain invalid characters.";

// The folder fields of a sweep, as a value.
struct FolderOptions {
  std::string keywords;    // the Keywords text, unchanged
  std::string extensions;  // the Extensions text, unchanged
  bool local = false;      // only the folder itself, no subfolders
};

}  // namespace korvel
