#include "scan/address_scanner.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "scan/address_extraction.h"
#include "scan/address_index.h"
#include "scan/text_file.h"
#include "scan/text_utils.h"

namespace korvel {
namespace {

std::string_view Trimmed(std::string_view s) {
  std::size_t first = 0, last = s.size();
  while (first < last && IsBlank(static_cast<unsigned char>(s[first]))) ++first;
  while (last > first && IsBlank(static_cast<unsigned char>(s[last - 1]))) --last;
  return s.substr(first, last - first);
}

}  // namespace

AddressScanner::AddressScanner() : index_(std::make_unique<Index>()) {}

AddressScanner::~AddressScanner() = default;

void AddressScanner::ScanFile(const std::string& path, bool append) {
  if (!append) Clear();
  const std::size_t before = addresses_.size();
  try {
    std::string text;
    if (!ReadTextFile(path, text)) return;
    ExtractAddresses(text);
  } catch (const std::bad_alloc&) {
    // A file too large for memory adds nothing; the sweep goes on.
    RollBack(before);
  } catch (const std::length_error&) {
    RollBack(before);
  }
}

void AddressScanner::ScanText(std::string text, bool append) { ScanView(text, append); }

void AddressScanner::ScanView(std::string_view text, bool append) {
  if (!append) Clear();
  const std::size_t before = addresses_.size();
  try {
    ExtractAddresses(text);
  } catch (...) {
    RollBack(before);
    throw;
  }
}

const std::vector<std::string>& AddressScanner::Addresses() const { return addresses_; }

std::vector<std::string> AddressScanner::TakeAddresses() {
  std::vector<std::string> taken;
  taken.swap(addresses_);
  index_->Release();
  return taken;
}

std::size_t AddressScanner::Count() const { return addresses_.size(); }

bool AddressScanner::IsEmpty() const { return addresses_.empty(); }

void AddressScanner::Clear() {
  std::vector<std::string>().swap(addresses_);
  index_->Release();
}

void AddressScanner::RollBack(std::size_t count) noexcept {
  if (addresses_.size() <= count) return;
  while (addresses_.size() > count) addresses_.pop_back();
  index_->Rebuild(addresses_, count);
}

void AddressScanner::ExtractAddresses(std::string_view text) {
  // Trimmed in place of copying: the passes only read the text.
  const std::string_view trimmed = Trimmed(text);
  if (trimmed.empty()) return;
  scanning::Extraction extraction(trimmed.data(), trimmed.size(), cancel_);
  extraction.Run(scanning::Offer{[](void* self, std::string_view candidate, unsigned) {
                                   static_cast<AddressScanner*>(self)->AddAddress(candidate);
                                 },
                                 this});
}

void AddressScanner::AddAddress(std::string_view candidate) {
  candidate = Trimmed(candidate);
  if (candidate.empty()) return;
  const std::uint64_t hash = Index::Hash(candidate);
  if (index_->Contains(candidate, hash, addresses_)) return;
  index_->Reserve();
  addresses_.emplace_back(candidate);
  index_->Insert(hash, addresses_.size() - 1);
}

}  // namespace korvel
