#pragma once
// Small helpers of the settings tests: an in-memory combo box and a
// temporary folder that cleans up after itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "scan/text_utils.h"
#include "settings/history.h"

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
  std::string GetLBText(int index) const override { return items.at(static_cast<std::size_t>(index)); }
  void ResetContent() override {
    items.clear();
    field.clear();
    selected = -1;
  }
};

class TempFolder {
 public:
  TempFolder() {
    // create_directory fails on an existing name, so a made folder is ours.
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    do path_ = base / ("korvel-settings-" + std::to_string(random()));
    while (!std::filesystem::create_directory(path_));
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  // Names of the entries in the folder, sorted.
  std::vector<std::string> List(const std::string& sub = {}) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(sub.empty() ? path_ : path_ / sub))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace korvel::testing
