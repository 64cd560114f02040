#pragma once
// Collects the distinct addresses of a text, in the order they are found:
// prefixed addresses, e-mail addresses, drive paths, then quoted link values.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// Walked in this order; the order decides which pass takes a text first.
inline constexpr std::array<std::string_view, 13> UrlPrefixes{
    "../",  "file:", "http:",   "https:", "ftp:",    "mailto:", "gopher:",
    "news:", "newsrc:", "nntp:", "telnet:", "wais:", "www."};

inline constexpr std::array<std::string_view, 11> LinkAttributes{
    "action",   "background", "cite", "classid", "codebase", "data",
    "href",     "longdesc",   "profile", "src",  "usemap"};

class AddressScanner {
 public:
  AddressScanner();
  virtual ~AddressScanner();

  AddressScanner(const AddressScanner&) = delete;
  AddressScanner& operator=(const AddressScanner&) = delete;

  // Reads the file as text (CR LF as LF, ends at the first 0x1A) and scans it.
  // A missing, unreadable or non-regular file adds nothing.
  void ScanFile(const std::string& path, bool append);
  void ScanText(std::string text, bool append);

  const std::vector<std::string>& Addresses() const;
  std::size_t Count() const;
  bool IsEmpty() const;
  void Clear();

 private:
  struct Index;
  void ExtractAddresses(std::string& text);
  void AddAddress(std::string_view candidate);

  std::vector<std::string> addresses_;
  Index* index_;  // duplicate test beside the ordered list
};

}  // namespace korvel
