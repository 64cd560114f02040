#pragma once
// Writing the result list's addresses to a text file, one a line, CR LF.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace korvel {

enum class ExportPathState { PathExists, PathWritable, PathInvalid };

ExportPathState ProbeExportPath(const std::string& path);
bool WipeAndDeleteFile(const std::string& path, int passes);

// Appends one line of the export file: the address, then CR LF. A line feed
// inside the address becomes CR LF as well, as a text-mode stream writes it.
// The window's export and korvel-sweep's "-f export" both write through this.
void AppendExportLine(std::string& out, std::string_view address);

// Writes the rows given by `row_count` and `address_at` to `path`. The file is
// written beside the target and renamed over it only when every row is on
// disk, so a failure leaves what was there before. Returns false on failure.
bool WriteExportFile(const std::string& path, const std::function<std::size_t()>& row_count,
                     const std::function<std::string(std::size_t)>& address_at);

}  // namespace korvel
