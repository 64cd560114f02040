#include "ui/file_dialog.h"

#include "platform/path.h"
#include "ui/backend.h"

namespace korvel {

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExtension, const char* fileName,
                         DWORD flags, const char* filter, CWnd* parent)
    : parent_(parent) {
  request_.open = openFileDialog != FALSE;
  request_.defaultExtension = defaultExtension != nullptr ? defaultExtension : "";
  request_.fileName = fileName != nullptr ? fileName : "";
  request_.flags = flags;
  request_.filter = filter != nullptr ? filter : "";
}

INT_PTR CFileDialog::DoModal() {
  request_.owner = parent_ != nullptr ? parent_->m_hWnd : nullptr;
  std::optional<std::string> chosen = CurrentPrompts().ChooseFile(request_);
  if (!chosen) return IDCANCEL;
  path_ = std::move(*chosen);
  return IDOK;
}

std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string& filter) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::size_t start = 0;
  while (start < filter.size()) {
    const std::size_t bar = filter.find('|', start);
    const std::size_t textEnd = bar == std::string::npos ? filter.size() : bar;
    std::string text = filter.substr(start, textEnd - start);
    std::string patterns;
    start = textEnd + 1;
    if (bar != std::string::npos && start <= filter.size()) {
      const std::size_t next = filter.find('|', start);
      const std::size_t patternEnd = next == std::string::npos ? filter.size() : next;
      patterns = filter.substr(start, patternEnd - start);
      start = patternEnd + 1;
    }
    if (!text.empty() || !patterns.empty())
      pairs.emplace_back(std::move(text), std::move(patterns));
  }
  return pairs;
}

std::string ApplyDefaultExtension(const std::string& path, const std::string& extension) {
  if (extension.empty() || path.empty() || IsPathSeparator(path.back())) return path;
  const std::size_t nameStart = path.find_last_of(kPathSeparators);
  const std::string name = path.substr(nameStart == std::string::npos ? 0 : nameStart + 1);
  if (name.find('.') != std::string::npos) return path;
  return path + "." + extension;
}

}  // namespace korvel
