#pragma once
// What separates the parts of a path on this platform. On Windows both
// backslash and slash do, and paths are built with the backslash; elsewhere
// only the slash does, and a backslash is an ordinary character of a name.
// Every path operation of the program splits and builds paths through these.
#include <algorithm>
#include <string>
#include <string_view>

namespace korvel {

#ifdef _WIN32
inline constexpr char kNativeSeparator = '\\';
inline constexpr std::string_view kPathSeparators{"\\/", 2};
#else
inline constexpr char kNativeSeparator = '/';
inline constexpr std::string_view kPathSeparators{"/", 1};
#endif

constexpr bool IsPathSeparator(char c) { return kPathSeparators.find(c) != std::string_view::npos; }

// A folder path as the folder sweep takes it: ending in a separator.
inline std::string WithFinalSeparator(std::string folder) {
  if (folder.empty() || !IsPathSeparator(folder.back())) folder += kNativeSeparator;
  return folder;
}

// The path with every separator written as the native one.
inline std::string WithNativeSeparators(std::string path) {
  if constexpr (kNativeSeparator != '/')
    std::replace(path.begin(), path.end(), '/', kNativeSeparator);
  return path;
}

}  // namespace korvel
