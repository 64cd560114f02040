#pragma once
// The tests' one temporary folder: a fresh folder under the system's temp dir,
// removed with everything in it.
#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "platform/path.h"

namespace korvel::testing {

inline constexpr char kSeparator = kNativeSeparator;

class TempTree {
 public:
  TempTree() {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
      auto candidate =
          std::filesystem::temp_directory_path() / ("korvel-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) root_ = candidate;
    }
    if (root_.empty()) throw std::runtime_error("no temporary folder");
  }
  ~TempTree() {
    // Give back the rights that a test took away, then remove everything.
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(
             root_, std::filesystem::directory_options::skip_permission_denied, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec) && !it->is_symlink(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(root_, ec);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The root with a final separator.
  std::string Root() const { return root_.string() + kSeparator; }
  // `relative` is written with "/"; the path uses the platform's separator.
  std::string Path(std::string relative) const {
    std::replace(relative.begin(), relative.end(), '/', kSeparator);
    return Root() + relative;
  }

  void Folder(const std::string& relative) const {
    std::filesystem::create_directories(Path(relative));
  }
  // Writes `content` exactly as given (folders on the way are made) and
  // returns the file's path.
  std::string File(const std::string& relative, const std::string& content = {}) const {
    const std::string path = Path(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  // Names of the entries in the folder (the root when `relative` is empty),
  // sorted.
  std::vector<std::string> List(const std::string& relative = {}) const {
    std::vector<std::string> names;
    const std::filesystem::path folder =
        relative.empty() ? root_ : std::filesystem::path(Path(relative));
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
#ifndef _WIN32
  // Binds a Unix socket there; the socket is closed again, its entry stays.
  void Socket(const std::string& relative) const {
    const std::string path = Path(relative);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) throw std::length_error(path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    const int error = errno;
    if (fd >= 0) close(fd);
    if (!bound) throw std::system_error(error, std::generic_category(), path);
  }
#endif

 private:
  std::filesystem::path root_;
};

}  // namespace korvel::testing
