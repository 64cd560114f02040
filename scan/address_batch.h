#pragma once
// The addresses of one file (or one member of an archive), in order, packed
// into one buffer: a row costs its bytes and one offset, not a string object
// and a heap block.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// What a row may carry beyond its address. Each is gathered only when asked
// for (a scan's `details`), so a plain sweep pays nothing for them.
enum RowDetails : unsigned {
  kRowKind = 1,   // the pass that found it
  kRowPlace = 2,  // line and byte offset of the first occurrence
  kRowCount = 4,  // occurrences in the file
};

enum class AddressKind : unsigned char { Prefixed, Email, Drive, Link };

struct RowDetail {
  AddressKind kind = AddressKind::Prefixed;
  std::uint64_t line = 0;    // 1-based; LF ends a line, a CR before it counts for nothing
  std::uint64_t offset = 0;  // in the file's bytes, from 0
  std::uint64_t count = 0;
};

class AddressBatch {
 public:
  void Add(std::string_view address) {
    bytes_.append(address);
    ends_.push_back(bytes_.size());
  }
  // A batch holds details for every row or for none.
  void Add(std::string_view address, const RowDetail& detail) {
    Add(address);
    details_.push_back(detail);
  }
  bool HasDetails() const { return !details_.empty(); }
  const RowDetail& Detail(std::size_t i) const { return details_[i]; }
  std::size_t Count() const { return ends_.size(); }
  bool Empty() const { return ends_.empty(); }
  std::string_view operator[](std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(bytes_).substr(begin, ends_[i] - begin);
  }
  // Memory held, for callers that cap what they keep waiting.
  std::size_t MemoryBytes() const {
    return sizeof(*this) + bytes_.capacity() + ends_.capacity() * sizeof(std::size_t) +
           details_.capacity() * sizeof(RowDetail);
  }
  // The bytes of every address, end to end.
  std::string_view Bytes() const { return bytes_; }
  void Clear() {
    bytes_.clear();
    ends_.clear();
    details_.clear();
  }
  void Reserve(std::size_t count, std::size_t bytes) {
    ends_.reserve(count);
    bytes_.reserve(bytes);
  }

  class Iterator {
   public:
    Iterator(const AddressBatch* batch, std::size_t i) : batch_(batch), i_(i) {}
    std::string_view operator*() const { return (*batch_)[i_]; }
    Iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const Iterator& other) const { return i_ == other.i_; }

   private:
    const AddressBatch* batch_;
    std::size_t i_;
  };
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, Count()); }

 private:
  std::string bytes_;
  std::vector<std::size_t> ends_;
  std::vector<RowDetail> details_;
};

}  // namespace korvel
