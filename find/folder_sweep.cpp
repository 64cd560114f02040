#include "find/folder_sweep.h"

#include "find/file_finder.h"
#include "scan/file_sweep.h"

namespace korvel {
namespace {

constexpr const char* kInvalidFieldsWarning =
    "The Keywords/Extensions fields contain invalid characters.";

}  // namespace

std::vector<std::string>& FoundFiles() {
  static std::vector<std::string> found;
  return found;
}

void AddFoundFile(const char* path) { FoundFiles().emplace_back(path); }

void SweepFolder(SweepDialog& dialog, const std::string& folder) {
  const int previous = dialog.BeginWaitCursor();
  const std::string keywords = dialog.KeywordText();
  const std::string extensions = dialog.ExtensionText();
  const bool local = dialog.IsLocalSweep();
  std::vector<std::string>& found = FoundFiles();
  found.clear();
  try {
    FileFinder finder(AddFoundFile, folder.c_str(), extensions.c_str(), keywords.c_str());
    finder.Find(local ? 0 : 1);
  } catch (...) {
    // Whatever failed, the user can only have mistyped a field; the finder's
    // own texts are not meant for the user.
    dialog.RestoreCursor(previous);
    dialog.ShowWarning(kInvalidFieldsWarning);
    return;
  }
  // The walk is finished before the first file is swept.
  struct RestoreOnExit {
    SweepDialog& dialog;
    int previous;
    ~RestoreOnExit() { dialog.RestoreCursor(previous); }
  } restore{dialog, previous};
  for (const std::string& path : found) SweepFile(dialog, path);
  std::vector<std::string>().swap(found);
  dialog.AddKeywordsToHistory();
  dialog.AddExtensionsToHistory();
}

}  // namespace korvel
