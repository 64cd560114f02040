#pragma once
// Turning the program's 8-bit texts into something Qt can show, and back.
#include <QString>
#include <string>
#include <string_view>

namespace korvel::qt {

// UTF-8 where the bytes are valid UTF-8; every other byte is shown as the
// Windows-1252 character it stands for (U+FFFD for the five unassigned
// ones), so a text in the old ANSI code page still reads right and no byte
// silently disappears from the display.
QString DisplayText(std::string_view bytes);

// A static text shows "&x" as an underlined x and "&&" as "&"; a Qt label
// without a buddy would show the ampersands themselves.
QString WithoutMnemonics(const QString& text);

// Texts that the user types or the toolkit hands back (field contents, file
// dialog results) become bytes as UTF-8.
std::string TextBytes(const QString& text);

// File system paths are bytes on Linux: these round-trip names that are not
// valid in the locale's encoding.
std::string PathBytes(const QString& path);
QString PathString(const std::string& bytes);

}  // namespace korvel::qt
