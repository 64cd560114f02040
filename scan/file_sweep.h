#pragma once
#include <string>

#include "scan/sweep_dialog.h"

namespace korvel {

// Scans one regular file and adds a row for each address found, with `path`
// as the location. Anything that is not a regular file adds nothing.
void SweepFile(SweepDialog& dialog, const std::string& path);

}  // namespace korvel
