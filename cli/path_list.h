#pragma once
// The list of paths that --files-from names.
#include <cstdio>
#include <string>
#include <vector>

namespace korvel {

// Appends the paths in `stream` to `paths`: one a line (LF, with a CR before
// it dropped), or, with `nul_separated`, each ended by a NUL. Empty entries
// are skipped. False when the stream could not be read.
bool ReadPathList(std::FILE* stream, bool nul_separated, std::vector<std::string>& paths);

}  // namespace korvel
