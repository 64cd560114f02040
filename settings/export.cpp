// Checking the export path, removing the probe's test file, writing the file.
#include "settings/export.h"

#include <cstdio>

#include "platform/atomic_file.h"
#include "platform/file_platform.h"
#include "platform/file_status.h"

namespace korvel {

ExportPathState ProbeExportPath(const std::string& path) {
  if (path.empty()) return ExportPathState::PathInvalid;
  if (IsRegularFileFollowingLinks(path)) return ExportPathState::PathExists;
  // Anything else already there (a folder, a device, a pipe, a dangling
  // link) is no place for the export.
  if (ExistsNotFollowingLinks(path)) return ExportPathState::PathInvalid;
  // Creating a new file is the only sure test of the name and the rights;
  // O_EXCL makes sure the file removed below is the one made here.
  const int fd = file_platform::CreateExclusive(path, 0666);
  if (fd < 0) return ExportPathState::PathInvalid;
  file_platform::CloseFile(fd);
  (void)WipeAndDeleteFile(path, 1);
  return ExportPathState::PathWritable;
}

bool WipeAndDeleteFile(const std::string& path, int passes) {
  long long size = 0;
  if (!IsRegularFileNotFollowingLinks(path, &size)) return true;
  file_platform::MakeWritable(path);
  if (passes > 0 && size > 0) {
    static const char zeros[64 * 1024] = {};
    for (int pass = 0; pass < passes; ++pass) {
      std::FILE* file = std::fopen(path.c_str(), "wb");
      if (file == nullptr) break;
      for (long long left = size; left > 0;) {
        const std::size_t chunk = left > static_cast<long long>(sizeof zeros)
                                      ? sizeof zeros
                                      : static_cast<std::size_t>(left);
        if (std::fwrite(zeros, 1, chunk, file) != chunk) break;
        left -= static_cast<long long>(chunk);
      }
      // Each pass must reach the disk, or the next one just replaces it in
      // the cache.
      if (std::fflush(file) == 0) (void)file_platform::SyncStream(file);
      std::fclose(file);
    }
  }
  return std::remove(path.c_str()) == 0;
}

void AppendExportLine(std::string& out, std::string_view address) {
  for (std::size_t start = 0;;) {
    const auto feed = address.find('\n', start);
    if (feed == std::string_view::npos) {
      out.append(address.substr(start));
      break;
    }
    out.append(address.substr(start, feed - start)).append("\r\n");
    start = feed + 1;
  }
  out.append("\r\n");
}

bool WriteExportFile(const std::string& path, const std::function<std::size_t()>& row_count,
                     const std::function<std::string(std::size_t)>& address_at) {
  // A file the user may not write (read-only) is not replaced behind their back.
  if (ExistsNotFollowingLinks(path) && !file_platform::MayWrite(path)) return false;
  AtomicFile file;  // sees through a link to the file itself
  if (!file.Open(path)) return false;
  try {
    std::string line;
    for (std::size_t row = 0; row < row_count(); ++row) {
      line.clear();
      AppendExportLine(line, address_at(row));
      if (!file.Write(line)) return false;
    }
  } catch (...) {
    return false;  // `file` removes the unfinished temporary file
  }
  return file.Commit();
}

}  // namespace korvel
