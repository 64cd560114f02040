#pragma once
#include <string>

#include "scan/row_sink.h"
#include "scan/sweep_hooks.h"

namespace korvel {

// Scans one regular file and hands `sink` a row for each address found, with
// `path` as the location, under the wait cursor. Anything that is not a
// regular file adds nothing and shows no cursor.
void SweepFile(RowSink& sink, const std::string& path, SweepHooks& hooks = NoSweepHooks());

}  // namespace korvel
