// Where korvel-sweep's output file is made and put in place, on Windows.
#include "cli/output_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "platform/file_platform.h"
#include "platform/file_status.h"

namespace korvel {
namespace {

std::string FolderOf(const std::string& path) {
  const auto last = path.find_last_of("\\/");
  if (last == std::string::npos) return ".";
  if (last == 0) return path.substr(0, 1);
  return path.substr(0, last);
}

std::string NameOf(const std::string& path) {
  const auto last = path.find_last_of("\\/");
  return last == std::string::npos ? path : path.substr(last + 1);
}

}  // namespace

bool OutputFile::Open(const std::string& requested, std::string& error) {
  if (ExistsNotFollowingLinks(requested) && !IsRegularFileFollowingLinks(requested)) {
    error = "is not a file";
    return false;
  }
  const std::string pattern = FolderOf(requested) + "\\~" + NameOf(requested) + ".XXXXXX";
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    std::string name = pattern;
    if (_mktemp(name.data()) == nullptr) break;
    fd = _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0) temp_path_ = name;
    else if (errno != EEXIST) break;
  }
  std::FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
  if (file == nullptr) {
    error = std::strerror(errno);
    if (fd >= 0) _close(fd);
    Discard();
    return false;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);
  stream_ = file;
  path_ = requested;
  return true;
}


void OutputFile::PutInPlace() {
  if (std::fclose(stream_) != 0 && error_ == 0) error_ = errno;
  stream_ = nullptr;
  if (error_ == 0 && !file_platform::RenameOver(temp_path_, path_)) error_ = EACCES;
}

// Windows removes no file when the program is interrupted.
void OutputFile::ForgetTempFile() {}

}  // namespace korvel
