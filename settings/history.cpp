// Tidying the keyword and extension fields and keeping their histories.
#include "settings/history.h"

#include <set>
#include <string_view>
#include <vector>

#include "scan/text_utils.h"
#include "settings/history_text.h"

namespace korvel {
namespace {

// std::string orders by its bytes as unsigned values, a prefix first.
std::string JoinSorted(const std::set<std::string>& items) {
  std::string out;
  for (const auto& item : items) {
    if (!out.empty()) out += ", ";
    out += item;
  }
  return out;
}

void Fill(HistoryBox& box, const std::string& stored, std::string (*normalize)(std::string)) {
  for (auto& entry : DecodeHistory(stored)) {
    const std::string text = normalize(std::move(entry));
    int index = box.FindStringExact(-1, text);
    if (index < 0) index = box.InsertString(box.GetCount(), text);
    if (index >= 0) box.SetCurSel(index);
  }
  if (box.GetCount() > 0) box.SetCurSel(0);
}

}  // namespace

std::vector<std::string> DecodeHistory(const std::string& stored) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (start < stored.size()) {
    const auto bar = stored.find('|', start);
    if (bar == std::string::npos) {
      entries.push_back(stored.substr(start));  // non-empty: start < size
      break;
    }
    entries.push_back(stored.substr(start, bar - start));
    start = bar + 1;
  }
  return entries;
}

std::string EncodeHistory(const HistoryBox& box) {
  std::string text;
  const int count = box.GetCount();
  for (int i = 0; i < count; ++i) {
    text += box.GetLBText(i);
    text += '|';
  }
  return text;
}

std::string NormalizeKeywords(std::string text) {
  for (char& c : text)
    if (kInvalidCharacters.find(c) != std::string_view::npos) c = ' ';
  const auto pieces = SplitCommaList(text);
  return JoinSorted(std::set<std::string>(pieces.begin(), pieces.end()));
}

std::string NormalizeExtensions(std::string text) {
  std::set<std::string> tokens;
  for (auto& piece : SplitCommaList(text)) {
    if (HoldsInvalidCharacter(piece, true)) continue;
    ToLower(piece);
    tokens.insert(std::move(piece));
  }
  return JoinSorted(tokens);
}

void AddToHistory(HistoryBox& box, int position) {
  const std::string text = box.GetWindowText();
  const int found = box.FindStringExact(-1, text);
  if (found >= 0) {
    box.SetCurSel(found);
    return;
  }
  const int count = box.GetCount();
  if (position < 0 || position > count) position = count;
  const int index = box.InsertString(position, text);
  if (index >= 0) box.SetCurSel(index);
}

void FillKeywordHistory(HistoryBox& box, const std::string& stored) {
  Fill(box, stored, NormalizeKeywords);
}

void FillExtensionHistory(HistoryBox& box, const std::string& stored) {
  Fill(box, stored, NormalizeExtensions);
}

}  // namespace korvel
