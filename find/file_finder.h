#pragma once
// Walks one folder, recursively or not, and hands every entry that passes the
// extension list (szPattern) and the keyword list (szQuery) to a handler.
#include <string>
#include <vector>

#include "platform/folder_listing.h"

namespace korvel {

class FileFinder {
 public:
  // Takes the path of a found file or folder. No context pointer: a caller
  // that needs state keeps it in static storage.
  using Handler = void (*)(const char* path);

  // Runs SetHandler, SetDirectory, SetPattern, SetQuery in that order; the
  // first that fails throws its std::invalid_argument. A null string counts
  // as an empty one.
  FileFinder(Handler handler, const char* szDirectory, const char* szPattern, const char* szQuery);
  virtual ~FileFinder();

  // Throws "Invalid function pointer(handler)." for a null handler.
  void SetHandler(Handler handler);
  // Accepts a path or one of the tokens -win, -sys, -root (any letter case,
  // blanks around ignored). Throws "Invalid directory." when the result does
  // not exist; an empty text is no directory either.
  void SetDirectory(const char* szDirectory);
  // Comma-separated extensions without their dot; "-?" is a file without an
  // extension; empty or "-all" accepts every file. Throws "The szPattern
  // parameter contains invalid characters." and keeps the items before the
  // bad one.
  void SetPattern(const char* szPattern);
  // Comma-separated keywords, matched against base names by containment in
  // either direction. Throws "The szQuery parameter contains invalid
  // characters."
  void SetQuery(const char* szQuery);

  // Mode 0: files in the folder; 1: files at every depth; 2: subfolders of
  // the folder whose name passes the keywords; 3: such subfolders at every
  // depth. Reports each match at once, in walk order. Folder paths handed to
  // the handler end with a separator. Any other mode reports the folder's own
  // files, like mode 0.
  void Find(int mode);

  bool MatchPattern(const std::string& name) const;
  bool MatchQuery(const std::string& name) const;

  const std::vector<std::string>& Patterns() const { return patterns_; }
  const std::vector<std::string>& Queries() const { return queries_; }
  const std::string& Directory() const { return directory_; }
  int Mode() const { return mode_; }

  // Where the walk lists folders; the system's listing unless replaced.
  void SetListing(const FolderListing& listing) { listing_ = &listing; }

 private:
  void Walk(const std::string& folder);
  // Reports the entry whose path is in `path` to the handler.
  void Report(const std::string& path, const FolderEntry& entry) const;

  std::vector<std::string> patterns_;
  std::vector<std::string> queries_;
  std::string directory_;
  int mode_ = 0;
  Handler handler_ = nullptr;
  const FolderListing* listing_;
};

// Whether a listed entry with this attribute word is a folder to walk: only
// 26 words are; any other, the folder bit with further bits such as a
// reparse point or compression included, is a file.
bool IsFolderAttributes(std::uint32_t attributes);

// Within a handler called by a walk on this thread: what the listing said of
// the entry reported (EntryType::Unknown for a folder).
EntryType ReportedEntryType();

}  // namespace korvel
