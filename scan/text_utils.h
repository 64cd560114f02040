#pragma once
// Text helpers shared by the whole program: the one place where a blank and a
// path separator are defined. Strings are 8-bit bytes with an explicit length.
#include <string>
#include <string_view>

namespace korvel {

// Space, TAB, CR, FF, LF. Vertical tab and NUL are not blanks.
inline constexpr std::string_view Blanks{" \t\r\f\n", 5};

// Backslash and slash both separate path parts.
inline constexpr std::string_view PathSeparators{"\\/", 2};

constexpr bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\n';
}
constexpr bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }
constexpr char ToLowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

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
