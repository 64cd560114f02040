#pragma once
// Text helpers shared by the whole program: the one place where a blank is
// defined; the path splitters cut at the platform's separators
// (platform/path.h). Strings are 8-bit bytes with an explicit length.
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_bytes.h"
#include "platform/path.h"

namespace korvel {

// Space, TAB, CR, FF, LF. Vertical tab and NUL are not blanks.
inline constexpr std::string_view Blanks{" \t\r\f\n", 5};

constexpr bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\n';
}

// The 13 characters that no keyword or extension item may hold: the file
// finder refuses them, the history tidies them away. The space is not one.
inline constexpr std::string_view kInvalidCharacters{"\\/:*?\"<>|\t\r\f\n", 13};
// The extension item for a file without extension: the one item that may.
inline constexpr std::string_view kNoExtension{"-?"};
// Whether `item` holds an invalid character; "-?" does not count as an
// extension item.
bool HoldsInvalidCharacter(std::string_view item, bool is_extension);

// The pieces of a comma-separated list, each trimmed, empty ones dropped.
std::vector<std::string> SplitCommaList(const std::string& text);

void ToLower(std::string& s);
void Trim(std::string& s);
void TrimRight(std::string& s);
void TrimLeft(std::string& s);

// The program's folder, from its first command-line argument, without a
// final separator; a bare program name is returned whole.
std::string ProgramFolder();
// Records the first command-line argument; main() calls it once.
void SetProgramArgument(std::string argv0);

std::string FileNamePart(std::string path);
std::string FileExtension(std::string path);
std::string FolderPart(std::string path);

}  // namespace korvel
