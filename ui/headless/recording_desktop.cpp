#include "ui/headless/recording_desktop.h"

#include <filesystem>

namespace korvel::headless {

HCURSOR RecordingDesktop::SetCursor(HCURSOR cursor) {
  const HCURSOR previous = cursor_;
  cursor_ = cursor;
  cursors_.push_back(cursor);
  return previous;
}

bool RecordingDesktop::OpenDocument(HWND, const std::string& path) {
  std::error_code error;
  const bool exists = std::filesystem::is_regular_file(path, error);
  opened_.push_back({"open", path, exists});
  return exists;
}

bool RecordingDesktop::ExploreFolder(HWND, const std::string& folder) {
  std::error_code error;
  const bool exists = std::filesystem::is_directory(folder, error);
  opened_.push_back({"explore", folder, exists});
  return exists;
}

}  // namespace korvel::headless
