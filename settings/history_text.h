#pragma once
// The stored form of a history: every entry followed by "|".
#include <string>
#include <vector>

#include "settings/history.h"

namespace korvel {

// Each piece followed by "|" is an entry (an empty one too); a non-empty
// piece after the last "|" is one more; the empty text has none.
std::vector<std::string> DecodeHistory(const std::string& stored);

// The items of the drop-down list, index 0 first, each followed by "|".
std::string EncodeHistory(const HistoryBox& box);

}  // namespace korvel
