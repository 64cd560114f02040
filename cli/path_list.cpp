#include "cli/path_list.h"

namespace korvel {

bool ReadPathList(std::FILE* stream, bool nul_separated, std::vector<std::string>& paths) {
  const char end = nul_separated ? '\0' : '\n';
  std::string entry;
  const auto take = [&] {
    if (!nul_separated && !entry.empty() && entry.back() == '\r') entry.pop_back();
    if (!entry.empty()) paths.push_back(entry);
    entry.clear();
  };
  char block[1 << 16];
  for (;;) {
    const std::size_t n = std::fread(block, 1, sizeof block, stream);
    for (std::size_t i = 0; i < n; ++i) {
      if (block[i] == end)
        take();
      else
        entry.push_back(block[i]);
    }
    if (n < sizeof block) break;
  }
  take();
  return std::ferror(stream) == 0;
}

}  // namespace korvel
