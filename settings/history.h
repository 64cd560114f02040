#pragma once
// Keyword and extension histories: what the user types is tidied when a field
// loses the focus, and each finished folder sweep enters the fields' texts.
#include <string>

namespace korvel {

// What a history needs of an editable drop-down combo box. Indices are
// 0-based; -1 means "none", as with the window system's combo boxes.
class HistoryBox {
 public:
  virtual ~HistoryBox() = default;
  virtual std::string GetWindowText() const = 0;  // the edit field's text
  virtual void SetWindowText(const std::string& text) = 0;
  // Whole-text match ignoring ASCII letter case, searching the whole list.
  virtual int FindStringExact(int start_after, const std::string& text) const = 0;
  virtual int InsertString(int index, const std::string& text) = 0;
  virtual void SetCurSel(int index) = 0;  // also shows the item in the field
  virtual int GetCount() const = 0;
  virtual std::string GetLBText(int index) const = 0;
  virtual void ResetContent() = 0;  // empties the list and the field
};

std::string NormalizeKeywords(std::string text);
std::string NormalizeExtensions(std::string text);

void AddToHistory(HistoryBox& box, int position);
void FillKeywordHistory(HistoryBox& box, const std::string& stored);
void FillExtensionHistory(HistoryBox& box, const std::string& stored);

}  // namespace korvel
