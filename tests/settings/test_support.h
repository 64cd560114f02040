#pragma once
// The settings tests' in-memory combo box, beside the shared temporary folder
// and file reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/text_utils.h"
#include "settings/history.h"
#include "tests/support/files.h"
#include "tests/support/temp_tree.h"

namespace korvel::testing {

// Behaves like an editable drop-down combo box as far as a history needs.
class FakeHistoryBox : public HistoryBox {
 public:
  std::vector<std::string> items;
  std::string field;
  int selected = -1;

  std::string GetWindowText() const override { return field; }
  void SetWindowText(const std::string& text) override { field = text; }
  int FindStringExact(int start_after, const std::string& text) const override {
    const int count = GetCount();
    for (int n = 0; n < count; ++n) {
      const int i = (start_after + 1 + n) % count;
      std::string a = items[static_cast<std::size_t>(i)], b = text;
      ToLower(a);
      ToLower(b);
      if (a == b) return i;
    }
    return -1;
  }
  int InsertString(int index, const std::string& text) override {
    if (index < 0 || index > GetCount()) index = GetCount();
    items.insert(items.begin() + index, text);
    return index;
  }
  void SetCurSel(int index) override {
    selected = index;
    if (index >= 0 && index < GetCount()) field = items[static_cast<std::size_t>(index)];
  }
  int GetCount() const override { return static_cast<int>(items.size()); }
  std::string GetLBText(int index) const override {
    return items.at(static_cast<std::size_t>(index));
  }
  void ResetContent() override {
    items.clear();
    field.clear();
    selected = -1;
  }
};

}  // namespace korvel::testing
