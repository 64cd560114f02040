#pragma once
// The first local path of a drag-and-drop, as bytes.
#include <QMimeData>
#include <optional>
#include <string>

namespace korvel::qt {

// Whether the drag carries at least one local file or folder.
bool HasLocalPaths(const QMimeData* mime);

// The first item of a drop. The URI list is decoded by hand so that a name
// that is not valid UTF-8 keeps its exact bytes.
std::optional<std::string> FirstDroppedPath(const QMimeData* mime);

// A file URI ("file:///a/b%20c", "file://localhost/a") to its path's bytes;
// nothing for other schemes, remote hosts or malformed escapes.
std::optional<std::string> LocalPathFromUri(const std::string& uri);

}  // namespace korvel::qt
