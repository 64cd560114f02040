#include "cli/unique_rows.h"

#include <utility>

#include "scan/address_hash.h"

namespace korvel {

UniqueRows::UniqueRows(RowWriter& writer, bool counted, std::size_t limit,
                       std::function<void(const std::string&)> warn)
    : writer_(writer), counted_(counted), limit_(limit), warn_(std::move(warn)) {}

void UniqueRows::Grow() {
  std::vector<std::uint64_t> slots(slots_.empty() ? 1024 : slots_.size() * 2, 0);
  std::vector<std::uint32_t> index(counted_ ? slots.size() : 0);
  const std::size_t mask = slots.size() - 1;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i] == 0) continue;
    std::size_t j = static_cast<std::size_t>(slots_[i]) & mask;
    while (slots[j] != 0) j = (j + 1) & mask;
    slots[j] = slots_[i];
    if (counted_) index[j] = index_[i];
  }
  slots_.swap(slots);
  index_.swap(index);
}

std::pair<std::uint32_t, bool> UniqueRows::Insert(std::string_view address) {
  if ((used_ + 1) * 2 > slots_.size() && used_ < limit_) Grow();
  std::uint64_t hash = scanning::HashAddress(address);
  if (hash == 0) hash = 1;
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = static_cast<std::size_t>(hash) & mask;
  for (; slots_[i] != 0; i = (i + 1) & mask)
    if (slots_[i] == hash) return {counted_ ? index_[i] : 0, false};
  if (used_ >= limit_) {
    if (!std::exchange(warned_, true))
      warn_("korvel-sweep: --unique: more than " + std::to_string(limit_) +
            " distinct addresses; later new ones are written each time they occur");
    return {kUnknown, true};
  }
  slots_[i] = hash;
  if (counted_) index_[i] = static_cast<std::uint32_t>(used_);
  return {static_cast<std::uint32_t>(used_++), true};
}

void UniqueRows::Rows(const AddressBatch& rows, std::string_view location) {
  ++file_;
  const RowDetail none;
  for (std::size_t i = 0; i < rows.Count(); ++i) {
    const std::string_view address = rows[i];
    const RowDetail& detail = rows.HasDetails() ? rows.Detail(i) : none;
    const auto [entry, fresh] = Insert(address);
    if (!counted_) {
      if (fresh) writer_.Row(address, location, rows.HasDetails() ? &detail : nullptr);
      continue;
    }
    if (entry == kUnknown) {
      const SweepCount own{1, detail.count};
      writer_.Row(address, location, &detail, &own);
    } else if (fresh) {
      if (locations_.empty() || locations_.back() != location) locations_.emplace_back(location);
      bytes_.append(address);
      held_.push_back(Held{bytes_.size(), locations_.size() - 1, detail, {1, detail.count}, file_});
    } else {
      Held& held = held_[entry];
      held.count.occurrences += detail.count;
      if (held.last_file != file_) {
        held.last_file = file_;
        ++held.count.files;
      }
    }
  }
}

void UniqueRows::Finish() {
  std::size_t begin = 0;
  for (const Held& held : held_) {
    writer_.Row(std::string_view(bytes_).substr(begin, held.end - begin), locations_[held.location],
                &held.detail, &held.count);
    begin = held.end;
  }
  held_.clear();
  bytes_.clear();
}

}  // namespace korvel
