#include "scan/text_utils.h"

namespace korvel {
namespace {

std::string& ProgramArgument() {
  static std::string argument;
  return argument;
}

}  // namespace

bool HoldsInvalidCharacter(std::string_view item, bool is_extension) {
  if (is_extension && item == kNoExtension) return false;
  return item.find_first_of(kInvalidCharacters) != std::string_view::npos;
}

std::vector<std::string> SplitCommaList(const std::string& text) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (true) {
    const auto comma = text.find(',', start);
    std::string piece =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    Trim(piece);
    if (!piece.empty()) pieces.push_back(std::move(piece));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return pieces;
}

void ToLower(std::string& s) {
  for (char& c : s) c = ToLowerAscii(c);
}

void Trim(std::string& s) {
  if (s.empty()) return;
  if (!IsBlank(static_cast<unsigned char>(s.front())) &&
      !IsBlank(static_cast<unsigned char>(s.back())))
    return;
  const auto first = s.find_first_not_of(Blanks);
  if (first == std::string::npos) {
    s.clear();
    return;
  }
  const auto last = s.find_last_not_of(Blanks);
  s.erase(last + 1);
  s.erase(0, first);
}

void TrimRight(std::string& s) {
  if (s.empty()) return;
  const auto last = s.find_last_not_of(Blanks);
  if (last == std::string::npos)
    s.clear();
  else
    s.erase(last + 1);
}

void TrimLeft(std::string& s) {
  if (s.empty()) return;
  const auto first = s.find_first_not_of(Blanks);
  if (first == std::string::npos)
    s.clear();
  else
    s.erase(0, first);
}

void SetProgramArgument(std::string argv0) { ProgramArgument() = std::move(argv0); }

std::string ProgramFolder() {
  const std::string& argument = ProgramArgument();
  const auto last = argument.find_last_of(kPathSeparators);
  if (last == std::string::npos) return argument;
  return argument.substr(0, last);
}

std::string FileNamePart(std::string path) {
  const auto last = path.find_last_of(kPathSeparators);
  if (last != std::string::npos) path.erase(0, last + 1);
  Trim(path);
  return path;
}

std::string FileExtension(std::string path) {
  std::string name = FileNamePart(std::move(path));
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  name.erase(0, dot + 1);
  Trim(name);
  return name;
}

std::string FolderPart(std::string path) {
  const auto last = path.find_last_of(kPathSeparators);
  if (last == std::string::npos) return {};
  path.erase(last + 1);
  Trim(path);
  return path;
}

}  // namespace korvel
