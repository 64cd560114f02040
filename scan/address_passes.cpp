// The four passes, in their order: prefixed addresses, e-mail addresses,
// drive paths, quoted link values.
#include "scan/address_extraction.h"

namespace korvel::scanning {

void Extraction::PrefixedAddresses(std::array<PositionList, kPrefixCount>& places,
                                   const Offer& offer) {
  for (std::size_t k = 0; k < kPrefixCount; ++k) {
    const std::size_t length = UrlPrefixes[k].size();
    std::size_t pos = 0;
    places[k].ForEach([&](std::size_t start) {
      Poll();
      // Gone when an earlier address covered it.
      if (start < pos || blanked_.Any(start, start + length)) return;
      const std::size_t end = FindStop(start + length, UrlStops);
      Take(start, end, offer, static_cast<unsigned>(k));
      pos = end;
    });
    places[k].Release();
  }
}

void Extraction::MailAddresses(const Offer& offer) {
  std::size_t pos = 1;
  for (;;) {
    Poll();
    const std::size_t at = at_signs_.Next(pos, n_);
    if (at >= n_) return;
    pos = at + 1;  // where to go on after a rejection
    if (blanked_.Test(at)) continue;

    std::size_t start = 0;  // with no stop before the "@", the mailbox starts the text
    const std::size_t stop = FindLastStop(at - 1, MailboxStops);
    if (stop != npos) {
      if (stop == at - 1 || t_[stop + 1] == '.') continue;
      start = stop + 1;
    }

    std::size_t end = FindStop(at + 1, HostStops);
    if (end >= n_ || !HoldsChar(end, '.')) continue;
    do end = FindStop(end + 1, HostStops);
    while (end < n_ && HoldsChar(end, '.'));

    Take(start, end, offer, kMailSubPass);
    // The survey marked only the "=" that a name may stand before; once
    // blanked, this address may leave a name right before one more.
    if (end < n_ && t_[end] == '=') equals_.Set(end);
    pos = end;
  }
}

void Extraction::DrivePaths(const Offer& offer) {
  std::size_t pos = 1;
  for (;;) {
    Poll();
    const std::size_t d = drive_colons_.Next(pos, n_);
    if (d >= n_) return;
    pos = d + 1;
    if (blanked_.Test(d) || d + 1 >= n_) continue;
    if (!HoldsChar(d + 1, '\\') && !HoldsChar(d + 1, '/')) continue;
    if (d < 2 || !IsStopAt(d - 2, HostStops)) continue;
    // A letter is never a stop character, so d - 2 is the last one.
    if (!IsAsciiLetter(t_[d - 1]) || blanked_.Test(d - 1)) continue;
    const std::size_t end = FindStop(d + 2, UrlStops);
    Take(d - 1, end, offer, kDriveSubPass);
    pos = end;
  }
}

std::size_t Extraction::NameBefore(std::size_t e, std::size_t& start) const {
  std::size_t q = e;  // just behind the last non-blank before the "="
  if (e == 0) return 0;
  if (IsBlankAt(e - 1)) {
    do --q;
    while (q > 0 && IsBlankAt(q - 1));
    if (q == 0) return 0;
  }
  // The one name that can end here, by the last three letters.
  if (q < 3) return 0;
  const std::size_t slot = NameSlots[NameSlot(Lower(q - 3), Lower(q - 2), Lower(q - 1))];
  if (slot == 0) return 0;
  const std::string_view name = LinkAttributes[slot - 1];
  if (q < name.size() || !Holds(q - name.size(), name)) return 0;
  start = q - name.size();
  return slot;
}

void Extraction::LinkValues(const Offer& offer) {
  std::array<PositionList, kNameCount> names;
  std::size_t start = 0;
  trailing_name_ = NameBefore(n_, start);
  // Each "=" qualifies at most the one name that ends at the last non-blank
  // before it: no name is the tail of another.
  const std::size_t words = (n_ + 63) / 64;
  for (std::size_t w = 0; w < words; ++w) {
    if (w % (kSurveyChunk / 64) == 0) PollNow();
    std::uint64_t marks = equals_.Word(w) & ~blanked_.Word(w);
    for (; marks != 0; marks &= marks - 1) {
      const std::size_t e = w * 64 + static_cast<std::size_t>(LowestBit(marks));
      const std::size_t slot = NameBefore(e, start);
      if (slot != 0) names[slot - 1].Push(start);
    }
  }
  equals_.Release();

  for (std::size_t k = 0; k < kNameCount; ++k) {
    const std::string_view name = LinkAttributes[k];
    std::size_t pos = 0;
    names[k].ForEach([&](std::size_t at) {
      Poll();
      // The name stood there when noted; it is gone if blanked since.
      if (at < pos || blanked_.Any(at, at + name.size())) return;
      const std::size_t equals = SkipBlanks(at + name.size());
      if (equals >= n_) ran_off_end_ = true;
      if (equals >= n_ || t_[equals] != '=') return;
      const std::size_t open = SkipBlanks(equals + 1);
      if (open >= n_) ran_off_end_ = true;
      if (open >= n_ || (t_[open] != '"' && t_[open] != '\'')) return;
      std::size_t close = FindChar(t_[open], open + 1);
      while (close < n_ && HoldsChar(close - 1, '\\')) close = FindChar(t_[open], close + 1);
      if (close >= n_) {
        ran_off_end_ = true;
        return;
      }
      Take(open + 1, close, offer, kFirstLinkSubPass + static_cast<unsigned>(k));
      pos = close;
    });
    names[k].Release();
  }
}

}  // namespace korvel::scanning
