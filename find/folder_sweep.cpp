#include "find/folder_sweep.h"

#include "find/file_finder.h"
#include "scan/file_sweep.h"

namespace korvel {
namespace {

void Ignore(const char*) {}

}  // namespace

bool FolderFieldsAccepted(const std::string& folder, const FolderOptions& options) {
  try {
    FileFinder finder(Ignore, folder.c_str(), options.extensions.c_str(),
                      options.keywords.c_str());
    return true;
  } catch (...) {
    return false;
  }
}

std::vector<std::string>& FoundFiles() {
  static std::vector<std::string> found;
  return found;
}

void AddFoundFile(const char* path) { FoundFiles().emplace_back(path); }

void SweepFolder(RowSink& sink, const std::string& folder, const FolderOptions& options,
                 SweepHooks& hooks) {
  WaitCursorScope cursor(hooks);
  std::vector<std::string>& found = FoundFiles();
  found.clear();
  try {
    FileFinder finder(AddFoundFile, folder.c_str(), options.extensions.c_str(),
                      options.keywords.c_str());
    finder.Find(options.local ? 0 : 1);
  } catch (...) {
    // Whatever failed, the user can only have mistyped a field; the finder's
    // own texts are not meant for the user.
    cursor.Restore();
    hooks.ShowWarning(kInvalidFieldsWarning);
    return;
  }
  // The walk is finished before the first file is swept.
  for (const std::string& path : found) SweepFile(sink, path, hooks);
  std::vector<std::string>().swap(found);
  hooks.AddKeywordsToHistory();
  hooks.AddExtensionsToHistory();
}

}  // namespace korvel
