#include "cli/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/cli_platform.h"

namespace korvel {

OutputFile::OutputFile() {
  buffer_.reserve(kBlock + kBlock / 4);
  cli_platform::SetBinary(stdout);
  stream_ = stdout;
}

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Flush() {
  if (!buffer_.empty() && error_ == 0) {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size())
      error_ = errno != 0 ? errno : EIO;
  }
  buffer_.clear();
}

void OutputFile::FlushNow() {
  Flush();
  if (error_ == 0 && std::fflush(stream_) != 0) error_ = errno != 0 ? errno : EIO;
}

bool OutputFile::Finish(std::string& error) {
  Flush();
  if (error_ == 0 && std::fflush(stream_) != 0) error_ = errno;
  if (path_.empty()) {
    if (error_ != 0) error = std::strerror(error_);
    return error_ == 0;
  }
  PutInPlace();
  if (error_ != 0) {
    error = std::strerror(error_);
    Discard();
    return false;
  }
  temp_path_.clear();
  ForgetTempFile();
  path_.clear();
  stream_ = stdout;
  return true;
}

void OutputFile::Discard() {
  if (!path_.empty() && stream_ != nullptr && stream_ != stdout) std::fclose(stream_);
  if (!temp_path_.empty()) std::remove(temp_path_.c_str());
  ForgetTempFile();
  temp_path_.clear();
  path_.clear();
  stream_ = stdout;
  buffer_.clear();
}

}  // namespace korvel
