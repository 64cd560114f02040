#pragma once
#include <string>
#include <vector>

#include "find/folder_options.h"
#include "scan/row_sink.h"
#include "scan/sweep_hooks.h"

namespace korvel {

// Sweeps every file under `folder` that passes the options' keyword and
// extension lists (only the folder itself when they say local) into `sink`,
// then enters both field texts in their histories. On invalid field text it
// shows "The Keywords/Extensions fields contain invalid characters." and
// sweeps nothing.
void SweepFolder(RowSink& sink, const std::string& folder, const FolderOptions& options,
                 SweepHooks& hooks = NoSweepHooks());

// Whether a folder sweep of `folder` with these fields may start: the finder
// takes the folder and both texts. Asked before any walking, so that the
// refusal is known at once.
bool FolderFieldsAccepted(const std::string& folder, const FolderOptions& options);

// The finder's handler: appends the path to the found-files list.
void AddFoundFile(const char* path);
std::vector<std::string>& FoundFiles();

}  // namespace korvel
