#include "find/file_finder.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>

#include "platform/file_status.h"
#include "platform/folder_tokens.h"
#include "platform/path.h"
#include "scan/text_utils.h"

namespace korvel {
namespace {

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// Splits a trimmed, lower-cased text at commas into `list`. Items equal to an
// earlier one are dropped.
void BuildList(std::vector<std::string>& list, const char* source, bool is_pattern,
               const char* message) {
  list.clear();
  std::string text = Text(source);
  Trim(text);
  if (text.empty()) return;
  ToLower(text);
  if (text == "-all") return;
  for (std::string& item : SplitCommaList(text)) {
    if (HoldsInvalidCharacter(item, is_pattern)) throw std::invalid_argument(message);
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(std::move(item));
  }
}

bool IsDotsOnly(const std::string& name) {
  return name.find_first_not_of('.') == std::string::npos;
}

// The extension of an entry name: what follows its last ".", trimmed. Entry
// names hold no separator on Windows; elsewhere a backslash is an ordinary
// character of a name, so the name is not split as a path.
std::string NameExtension(const std::string& name) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string extension = name.substr(dot + 1);
  Trim(extension);
  return extension;
}

thread_local EntryType t_reported = EntryType::Unknown;

}  // namespace

EntryType ReportedEntryType() { return t_reported; }

bool IsFolderAttributes(std::uint32_t attributes) {
  static constexpr std::array<std::uint32_t, 26> kFolderWords{
      0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17,  //
      0x30, 0x31, 0x32, 0x33, 0x34, 0x36, 0x37,        //
      0x90, 0x91, 0x92, 0x93, 0x94, 0x96, 0x97,        //
      0xB0, 0xB1, 0xB3, 0xB7};
  return std::find(kFolderWords.begin(), kFolderWords.end(), attributes) != kFolderWords.end();
}

FileFinder::FileFinder(Handler handler, const char* szDirectory, const char* szPattern,
                       const char* szQuery)
    : listing_(&SystemFolderListing()) {
  SetHandler(handler);
  SetDirectory(szDirectory);
  SetPattern(szPattern);
  SetQuery(szQuery);
}

FileFinder::~FileFinder() = default;

void FileFinder::SetHandler(Handler handler) {
  if (handler == nullptr) throw std::invalid_argument("Invalid function pointer(handler).");
  handler_ = handler;
}

void FileFinder::SetDirectory(const char* szDirectory) {
  std::string path = Text(szDirectory);
  Trim(path);
  const auto is_token = [&path](std::string_view token) {
    std::string lower = path;
    ToLower(lower);
    return lower == token;
  };
  if (is_token("-win")) path = SpecialFolderPath(SpecialFolder::Windows);
  if (is_token("-sys")) path = SpecialFolderPath(SpecialFolder::System);
  if (is_token("-root")) path = SpecialFolderPath(SpecialFolder::Root);
  // An empty text names no folder; it is not taken as the current drive's
  // root or the file system's.
  if (path.empty()) throw std::invalid_argument("Invalid directory.");
  path = WithNativeSeparators(WithFinalSeparator(std::move(path)));
  if (!ExistsFollowingLinks(path)) throw std::invalid_argument("Invalid directory.");
  directory_ = std::move(path);
}

void FileFinder::SetPattern(const char* szPattern) {
  BuildList(patterns_, szPattern, true, "The szPattern parameter contains invalid characters.");
}

void FileFinder::SetQuery(const char* szQuery) {
  BuildList(queries_, szQuery, false, "The szQuery parameter contains invalid characters.");
}

void FileFinder::Find(int mode) {
  mode_ = mode;
  const std::string folder = directory_;
  // Also when the handler throws: the listing keeps no folder open after a run.
  const struct EndWalk {
    const FolderListing* listing;
    ~EndWalk() { listing->EndWalk(); }
  } end_walk{listing_};
  Walk(folder);
}

void FileFinder::Report(const std::string& path, const FolderEntry& entry) const {
  t_reported = entry.type;
  handler_(path.c_str());
}

// Depth first with a stack of listings and one path that grows and shrinks
// with it, so that the depth of a tree costs neither call stack nor a copy of
// the path per level.
void FileFinder::Walk(const std::string& folder) {
  struct Level {
    std::vector<FolderEntry> entries;
    std::size_t next = 0;      // the entry to take next
    std::size_t path_end = 0;  // the folder's path is path's first bytes
  };
  std::vector<Level> levels;
  std::string path = folder;
  levels.emplace_back();
  if (!listing_->List(path, levels.back().entries)) return;
  levels.back().path_end = path.size();
  const bool want_folders = mode_ == 2 || mode_ == 3;
  const bool descend = mode_ == 1 || mode_ == 3;
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.entries.size()) {
      levels.pop_back();
      continue;
    }
    const FolderEntry& entry = level.entries[level.next++];
    path.resize(level.path_end);
    if (IsFolderAttributes(entry.attributes)) {
      if (IsDotsOnly(entry.name) || mode_ == 0) continue;
      path.append(entry.name).push_back(kNativeSeparator);
      if (want_folders) {
        if (MatchQuery(entry.name)) Report(path, entry);
        if (mode_ == 2) continue;
      }
      if (!descend) continue;
      const std::size_t end = path.size();
      std::vector<FolderEntry> entries;
      if (!listing_->List(path, entries)) continue;
      // `level` is not used past this point: the push may move it.
      levels.push_back(Level{std::move(entries), 0, end});
    } else {
      if (want_folders) continue;
      if (MatchPattern(entry.name) && MatchQuery(entry.name)) {
        path.append(entry.name);
        Report(path, entry);
      }
    }
  }
}

bool FileFinder::MatchPattern(const std::string& name) const {
  if (patterns_.empty()) return true;
  std::string extension = NameExtension(name);
  if (extension.empty())
    extension = kNoExtension;
  else
    ToLower(extension);
  return std::find(patterns_.begin(), patterns_.end(), extension) != patterns_.end();
}

bool FileFinder::MatchQuery(const std::string& entry_name) const {
  if (queries_.empty()) return true;
  std::string name = entry_name;
  Trim(name);
  if (name.empty()) return false;
  if (mode_ == 0 || mode_ == 1) {
    // A file's extension is not matched.
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0) {
      name.erase(dot);
      TrimRight(name);
    }
  }
  if (name.front() == '.') {
    name.erase(0, 1);
    TrimLeft(name);
    if (name.empty()) return false;
  }
  ToLower(name);
  for (const std::string& keyword : queries_) {
    const bool found = keyword.size() <= name.size() ? name.find(keyword) != std::string::npos
                                                     : keyword.find(name) != std::string::npos;
    if (found) return true;
  }
  return false;
}

}  // namespace korvel
