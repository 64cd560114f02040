#pragma once
// The first local path of a drag-and-drop, as bytes.
#include <QMimeData>
#include <optional>
#include <string>
#include <vector>

namespace korvel::qt {

// Whether the drag carries at least one local file or folder.
bool HasLocalPaths(const QMimeData* mime);

// The first item of a drop. The URI list is decoded by hand so that a name
// that is not valid UTF-8 keeps its exact bytes.
std::optional<std::string> FirstDroppedPath(const QMimeData* mime);

// What the window hands on as the drop's items: the first item's path, then
// the further local items (they only count). Nothing at all when the first
// item is not a local path: the first item is the one that counts, and a drop
// that starts with a web address sweeps nothing, like an empty drop.
std::vector<std::string> DroppedPaths(const QMimeData* mime);

// A file URI ("file:///a/b%20c", "file://localhost/a") to its path's bytes;
// nothing for other schemes, remote hosts or malformed escapes.
std::optional<std::string> LocalPathFromUri(const std::string& uri);

}  // namespace korvel::qt
