#include "cli/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file_platform.h"
#include "platform/file_status.h"
#include "platform/terminal.h"

namespace korvel {

OutputFile::OutputFile() {
  buffer_.reserve(kBlock + kBlock / 4);
  SetBinary(stdout);
}

bool OutputFile::Open(const std::string& path, std::string& error) {
  const FileKind kind = FileKindFollowingLinks(path);
  if (kind == FileKind::Folder) {
    error = "is a folder";
    return false;
  }
  // A device or pipe is not a file that could be replaced.
  if (kind == FileKind::Other) {
    error = "is not a regular file";
    return false;
  }
  // Read-only is the user's "do not replace", as in the window's export.
  if (kind == FileKind::RegularFile && file_platform::IsReadOnly(path)) {
    error = "is read-only";
    return false;
  }
  if (!file_.Open(path)) {
    error = file_.ErrorText();
    return false;
  }
  to_file_ = true;
  return true;
}

bool OutputFile::Identity(FileIdentity& identity) const {
  return to_file_ ? IdentityFollowingLinks(file_.TempPath(), identity)
                  : IdentityOfRegularFile(stdout, identity);
}

void OutputFile::Flush() {
  if (!buffer_.empty() && error_ == 0) {
    if (to_file_) {
      if (!file_.Write(buffer_)) error_ = FileError();
    } else if (std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size()) {
      error_ = errno != 0 ? errno : EIO;
    }
  }
  buffer_.clear();
}

void OutputFile::FlushNow() {
  Flush();
  if (error_ != 0) return;
  if (to_file_) {
    if (!file_.Flush()) error_ = FileError();
  } else if (std::fflush(stdout) != 0) {
    error_ = errno != 0 ? errno : EIO;
  }
}

bool OutputFile::Finish(std::string& error) {
  FlushNow();
  if (to_file_) {
    to_file_ = false;
    if (error_ != 0) {
      file_.Discard();
    } else if (!file_.Commit()) {
      error_ = FileError();
    }
  }
  if (error_ != 0) error = std::strerror(error_);
  return error_ == 0;
}

}  // namespace korvel
