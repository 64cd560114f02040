#pragma once
// Where korvel-sweep writes its rows: standard output, or an AtomicFile that
// replaces the file in one step at the end. Rows are gathered in a large
// buffer and written in big blocks.
#include <cerrno>
#include <string>

#include "platform/atomic_file.h"
#include "platform/file_status.h"

namespace korvel {

class OutputFile {
 public:
  OutputFile();
  // A file not finished is thrown away by the AtomicFile; the old one stays.
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Prepares to replace `path` (the file a link leads to, not the link, even
  // a dangling one): the rows stream into a temporary file beside it, which
  // Finish() renames over it. Without a call, the rows go to standard output.
  // False (with `error`) when no file can be written there or it is read-only.
  bool Open(const std::string& path, std::string& error);

  // The pending bytes; append to it, then call Written().
  std::string& Buffer() { return buffer_; }
  void Written() {
    if (buffer_.size() >= kBlock) Flush();
  }

  // Writes what is pending now, for a reader that waits for it.
  void FlushNow();
  // The file the rows are written to now (the temporary one of a file
  // output); false when that is no file (a pipe, a terminal).
  bool Identity(FileIdentity& identity) const;

  // Whether a write has failed; nothing more will be written.
  bool Failed() const { return error_ != 0; }

  // Writes what is pending and, for a file, puts it in place. False (with
  // `error`) when any write failed; a file is then removed.
  bool Finish(std::string& error);

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;

  void Flush();
  int FileError() const { return file_.Error() != 0 ? file_.Error() : EIO; }

  std::string buffer_;
  AtomicFile file_;
  bool to_file_ = false;
  int error_ = 0;  // errno of the first failed write
};

}  // namespace korvel
