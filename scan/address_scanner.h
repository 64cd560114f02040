#pragma once
// Collects the distinct addresses of a text, in the order they are found:
// prefixed addresses, e-mail addresses, drive paths, then quoted link values.
#include <array>
#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// Walked in this order; the order decides which pass takes a text first.
inline constexpr std::array<std::string_view, 13> UrlPrefixes{
    "../",   "file:",   "http:", "https:",  "ftp:",  "mailto:", "gopher:",
    "news:", "newsrc:", "nntp:", "telnet:", "wais:", "www."};

// Thrown out of a scan whose cancel flag was raised; the list is left as it
// was before the scan.
struct ScanCancelled {};

inline constexpr std::array<std::string_view, 11> LinkAttributes{
    "action", "background", "cite",    "classid", "codebase", "data",
    "href",   "longdesc",   "profile", "src",     "usemap"};

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
  // ScanText on a text the caller keeps: it is only read, never copied.
  void ScanView(std::string_view text, bool append);

  const std::vector<std::string>& Addresses() const;
  // Hands the list over and leaves the scanner empty.
  std::vector<std::string> TakeAddresses();
  std::size_t Count() const;
  bool IsEmpty() const;
  void Clear();

  // A flag that ScanText polls every so many candidates, so that a large
  // text can be left at once (ScanCancelled); null, the default, for none.
  void SetCancelFlag(const std::atomic<bool>* flag) { cancel_ = flag; }

 private:
  class Index;
  // Runs the four passes over `text`, leaving out the blanks at its ends. The
  // text is only read, never changed: case is ignored in comparing and the
  // taken stretches are marked in a bitmap, not blanked in the text.
  void ExtractAddresses(std::string_view text);
  void AddAddress(std::string_view candidate);
  // Forgets every address from position `count` on, after a failed scan.
  void RollBack(std::size_t count) noexcept;

  std::vector<std::string> addresses_;
  std::unique_ptr<Index> index_;  // duplicate test beside the ordered list
  const std::atomic<bool>* cancel_ = nullptr;
};

}  // namespace korvel
