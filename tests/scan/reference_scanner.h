#pragma once
// A slow, step-by-step transcription of the scanner's four passes, kept as
// the yardstick for the fast scanner: every search is a plain std::string
// search, and the duplicate test walks the whole list.
#include <string>
#include <vector>

namespace korvel::reference {

// Adds the addresses of `text` to `list`, as the scanner does with `append`.
void ExtractAddresses(std::string text, std::vector<std::string>& list);

inline std::vector<std::string> Addresses(const std::string& text) {
  std::vector<std::string> list;
  ExtractAddresses(text, list);
  return list;
}

}  // namespace korvel::reference
