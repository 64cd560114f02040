#pragma once
#include <string>
#include <vector>

#include "scan/sweep_dialog.h"

namespace korvel {

// Sweeps every file under `folder` that passes the dialog's keyword and
// extension lists (only the folder itself when the local switch is on), then
// enters both field texts in their histories. On invalid field text it shows
// "The Keywords/Extensions fields contain invalid characters." and sweeps nothing.
void SweepFolder(SweepDialog& dialog, const std::string& folder);

// The finder's handler: appends the path to the found-files list.
void AddFoundFile(const char* path);
std::vector<std::string>& FoundFiles();

}  // namespace korvel
