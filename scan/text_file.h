#pragma once
// Reading a file as text, the same way on every platform: each CR LF arrives
// as LF, the first 0x1A (Ctrl+Z) ends the content, a lone CR and NUL arrive
// unchanged, and a last line without a line end gets one.
#include <string>

namespace korvel {

// Replaces `text` by the text content of the regular file at `path`. Returns
// false, with `text` empty, when the path names no regular file or the file
// cannot be opened; never blocks on a FIFO or device. A file that fails while
// being read gives what was read up to the failure. Throws std::bad_alloc
// when the content does not fit in memory.
bool ReadTextFile(const std::string& path, std::string& text);

// Turns raw file bytes into text content in place (see above). An empty
// result stays empty; otherwise the result ends in LF.
void ConvertToText(std::string& bytes);

}  // namespace korvel
