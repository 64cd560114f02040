#pragma once
// A combo box seen as a keyword or extension history.
#include "settings/history.h"
#include "ui/controls.h"

namespace korvel {

class ComboHistory final : public HistoryBox {
 public:
  explicit ComboHistory(CComboBox& combo) : combo_(combo) {}

  std::string GetWindowText() const override { return combo_.GetWindowText(); }
  void SetWindowText(const std::string& text) override { combo_.SetWindowText(text); }
  int FindStringExact(int start_after, const std::string& text) const override {
    return combo_.FindStringExact(start_after, text);
  }
  int InsertString(int index, const std::string& text) override {
    return combo_.InsertString(index, text);
  }
  void SetCurSel(int index) override { combo_.SetCurSel(index); }
  int GetCount() const override { return combo_.GetCount(); }
  std::string GetLBText(int index) const override { return combo_.GetLBText(index); }
  void ResetContent() override { combo_.ResetContent(); }

 private:
  CComboBox& combo_;
};

}  // namespace korvel
