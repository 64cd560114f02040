// Checking the export path, removing the probe's test file, writing the file.
#include "settings/export.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "settings/atomic_file.h"

namespace korvel {
namespace {

#ifdef _WIN32
bool IsRegularFile(const std::string& path, long long* size = nullptr) {
  struct _stati64 st {};
  if (_stati64(path.c_str(), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return false;
  if (size != nullptr) *size = st.st_size;
  return true;
}
bool Exists(const std::string& path) {
  struct _stati64 st {};
  return _stati64(path.c_str(), &st) == 0;
}
int CreateNew(const std::string& path) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
void CloseFd(int fd) { _close(fd); }
void MakeWritable(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}
bool MayWrite(const std::string& path) { return _access(path.c_str(), 2) == 0; }
bool SyncStream(std::FILE* file) { return _commit(_fileno(file)) == 0; }
#else
// lstat: a link is not the file, so wiping never writes through one.
bool IsRegularFile(const std::string& path, long long* size = nullptr) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (size != nullptr) *size = static_cast<long long>(st.st_size);
  return true;
}
bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}
int CreateNew(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}
void CloseFd(int fd) { ::close(fd); }
// The owner may write again: the zero passes need it.
void MakeWritable(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) (void)::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
}
bool MayWrite(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }
bool SyncStream(std::FILE* file) { return ::fsync(::fileno(file)) == 0; }
#endif

// Whether `path` names something that exists and is a regular file, after
// following links (an export may go to a link to a file).
bool ExistsAsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG;
}

}  // namespace

ExportPathState ProbeExportPath(const std::string& path) {
  if (path.empty()) return ExportPathState::PathInvalid;
  if (ExistsAsFile(path)) return ExportPathState::PathExists;
  // Anything else already there (a folder, a device, a pipe, a dangling
  // link) is no place for the export.
  if (Exists(path)) return ExportPathState::PathInvalid;
  // Creating a new file is the only sure test of the name and the rights;
  // O_EXCL makes sure the file removed below is the one made here.
  const int fd = CreateNew(path);
  if (fd < 0) return ExportPathState::PathInvalid;
  CloseFd(fd);
  (void)WipeAndDeleteFile(path, 1);
  return ExportPathState::PathWritable;
}

bool WipeAndDeleteFile(const std::string& path, int passes) {
  long long size = 0;
  if (!IsRegularFile(path, &size)) return true;
  MakeWritable(path);
  if (passes > 0 && size > 0) {
    static const char zeros[64 * 1024] = {};
    for (int pass = 0; pass < passes; ++pass) {
      std::FILE* file = std::fopen(path.c_str(), "wb");
      if (file == nullptr) break;
      for (long long left = size; left > 0;) {
        const std::size_t chunk =
            left > static_cast<long long>(sizeof zeros) ? sizeof zeros : static_cast<std::size_t>(left);
        if (std::fwrite(zeros, 1, chunk, file) != chunk) break;
        left -= static_cast<long long>(chunk);
      }
      // Each pass must reach the disk, or the next one just replaces it in
      // the cache.
      if (std::fflush(file) == 0) (void)SyncStream(file);
      std::fclose(file);
    }
  }
  return std::remove(path.c_str()) == 0;
}

bool WriteExportFile(const std::string& path,
                     const std::function<std::size_t()>& row_count,
                     const std::function<std::string(std::size_t)>& address_at) {
  // A file the user may not write (read-only) is not replaced behind their back.
  if (Exists(path) && !MayWrite(path)) return false;
  AtomicFile file;  // sees through a link to the file itself
  if (!file.Open(path)) return false;
  try {
    std::string line;
    for (std::size_t row = 0; row < row_count(); ++row) {
      const std::string address = address_at(row);
      // Every line ends in CR LF; a line feed inside an address becomes CR LF
      // as well, as a text-mode stream would write it.
      if (address.find('\n') == std::string::npos) {
        line = address;
      } else {
        line.clear();
        for (char c : address) {
          if (c == '\n') line += '\r';
          line += c;
        }
      }
      line += "\r\n";
      if (!file.Write(line)) return false;
    }
  } catch (...) {
    return false;  // `file` removes the unfinished temporary file
  }
  return file.Commit();
}

}  // namespace korvel
