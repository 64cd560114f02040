// The streamed scan runs the same extraction as the whole-text scan, window
// by window. Why the windows give the same rows as the whole text:
// - A window ends just after a blank (the cut) and the next one starts with
//   that blank; only the first window starts at the text's first non-blank,
//   as the whole text is trimmed. Passes 1 to 3 never take a blank and every
//   search of theirs stops at one, so what they find between two blanks
//   depends only on the text between them: a window finds exactly the
//   addresses of passes 1 to 3 that the whole text has in it.
// - Pass 4 looks back from an "=" across blanks and blanked stretches to a
//   name, which may lie before the cut: the window before says which name
//   ends at its last position neither blank nor blanked, and that name is
//   written before the next window (passes 1 to 3 take nothing from a bare
//   name).
// - Pass 4 looks forward from a name to the "=", the quote and the closing
//   quote. When one of those searches runs off the end of a window, the text
//   after it could change the result: the window's quoted values are dropped
//   and it is tried again, twice as long. A quote that never closes makes the
//   window grow to the end of the text.
// - Rows are ordered by sub-pass over the whole text; the store keeps each
//   address's first sub-pass and place (address_store.h).
#include "scan/stream_scan.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "scan/address_extraction.h"
#include "scan/text_utils.h"

namespace korvel {
namespace {

bool Blank(char c) { return IsBlank(static_cast<unsigned char>(c)); }

std::string_view Trimmed(std::string_view s) {
  std::size_t first = 0, last = s.size();
  while (first < last && Blank(s[first])) ++first;
  while (last > first && Blank(s[last - 1])) --last;
  return s.substr(first, last - first);
}

}  // namespace

StreamScanner::StreamScanner(std::size_t chunk_size) { SetChunkSize(chunk_size); }

void StreamScanner::Reset() noexcept {
  begin_ = end_ = kHead;
  pending_cr_ = at_end_ = started_ = false;
  first_window_ = true;
  carried_name_ = 0;
  store_.Clear();
  link_bytes_.clear();
  link_ends_.clear();
  found_.clear();
  base_ = 0;
  mark_ = kHead;
  lines_ = crs_ = 0;
  dropped_crs_.clear();
  // A buffer grown far past a chunk for one file is not kept for the next.
  if (buf_.capacity() > 4 * (chunk_ + kHead)) std::string().swap(buf_);
}

void StreamScanner::ReleaseMemory() noexcept {
  Reset();
  std::string().swap(buf_);
  std::string().swap(link_bytes_);
  decltype(link_ends_)().swap(link_ends_);
  store_ = scanning::AddressStore{};
}

StreamScanResult StreamScanner::Scan(ByteSource& source, std::uint64_t size_hint,
                                     AddressBatch& rows, const StreamScanControl& control) {
  rows.Clear();
  Reset();
  details_ = control.details;
  store_.SetDetails(details_);
  StreamScanResult result;
  // A small file is read into a buffer of about its size, and in one read
  // when its size holds (one more then finds the end).
  ask_ = size_hint > 0 && size_hint < chunk_
             ? std::max<std::size_t>(static_cast<std::size_t>(size_hint) + 1, 4096)
             : chunk_;
  ask_ = std::min(ask_, chunk_);
  if (buf_.size() < kHead + 2 * ask_) buf_.resize(kHead + 2 * ask_);
  try {
    std::size_t target = chunk_;  // text to gather before a window
    for (;;) {
      while (!at_end_ && end_ - begin_ < target) ReadMore(source, control, result);
      if (!started_) {
        // The text is trimmed: leading blanks go, the first window starts at
        // a non-blank.
        while (begin_ < end_ && Blank(buf_[begin_])) ++begin_;
        if (begin_ == end_) {
          pending_cr_ = false;
          if (at_end_) break;
          Compact();
          continue;
        }
        started_ = true;
      }
      if (at_end_) {
        // Blanks at the end of the text count for nothing.
        std::size_t end = end_;
        while (end > begin_ && Blank(buf_[end - 1])) --end;
        if (end > begin_) Extract(end, true, control);
        break;
      }
      // Cut at the last blank whose text is settled (a CR may still lose its
      // place to the LF after it).
      std::size_t cut = end_ - (pending_cr_ ? 1 : 0);
      while (cut > begin_ + 1 && !Blank(buf_[cut - 1])) --cut;
      if (cut > begin_ + 1 && Extract(cut, false, control)) {
        begin_ = cut - 1;
        if (details_ & kRowPlace) AdvanceMark(begin_);
        first_window_ = false;
        target = chunk_;
        if (begin_ - kHead >= end_ - begin_) Compact();
      } else {
        // No blank to cut at, or a quoted value may run past it: more text.
        target = std::max(chunk_, 2 * (end_ - begin_));
      }
    }
    store_.Emit(rows);
  } catch (...) {
    rows.Clear();
    Reset();
    throw;
  }
  Reset();
  return result;
}

void StreamScanner::ReadMore(ByteSource& source, const StreamScanControl& control,
                             StreamScanResult& result) {
  if (control.cancel != nullptr && control.cancel->load(std::memory_order_relaxed))
    throw ScanCancelled{};
  if (buf_.size() - end_ < ask_) {
    Compact();
    if (buf_.size() - end_ < ask_) buf_.resize(std::max(end_ + ask_, buf_.size() + buf_.size() / 2));
  }
  long long n;
  do n = source.Read(&buf_[end_], ask_);
  while (n < 0 && source.Error() == EINTR);
  if (n <= 0) {
    if (n < 0) result.error = source.Error() != 0 ? source.Error() : EIO;
    // The text ends here; a CR at its end stands alone.
    at_end_ = true;
    pending_cr_ = false;
    return;
  }
  const auto count = static_cast<std::size_t>(n);
  result.bytes_read += count;
  if (control.bytes_read != nullptr)
    control.bytes_read->fetch_add(count, std::memory_order_relaxed);
  Convert(count);
  if (count == ask_) ask_ = chunk_;  // longer than it said: whole chunks from here on
}

void StreamScanner::Convert(std::size_t count) {
  char* const data = buf_.data();
  std::size_t stop = end_ + count;
  if (const void* eof = std::memchr(data + end_, 0x1A, count)) {
    // Ctrl+Z ends the content; nothing after it is read.
    stop = static_cast<std::size_t>(static_cast<const char*>(eof) - data);
    at_end_ = true;
  }
  std::size_t read = end_, write = end_;
  if (pending_cr_ && read < stop) {
    pending_cr_ = false;
    if (data[read] == '\n') {
      data[write - 1] = '\n';  // CR LF as LF
      if (details_ & kRowPlace) dropped_crs_.push_back(Absolute(write - 1));
      ++read;
    }
  }
  // Drop the CR of every CR LF, moving the text between CRs in one piece.
  while (read < stop) {
    const void* cr = std::memchr(data + read, '\r', stop - read);
    const std::size_t next = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : stop;
    if (write != read) std::memmove(data + write, data + read, next - read);
    write += next - read;
    read = next;
    if (read == stop) break;
    if (read + 1 < stop && data[read + 1] == '\n') {
      ++read;  // keep the LF only
      if (details_ & kRowPlace) dropped_crs_.push_back(Absolute(write));
    }
    data[write++] = data[read++];
    if (read == stop && data[write - 1] == '\r') pending_cr_ = !at_end_;
  }
  end_ = write;
  if (at_end_) pending_cr_ = false;
}

void StreamScanner::Compact() {
  if (begin_ == kHead) return;
  if (details_ & kRowPlace) AdvanceMark(begin_);
  base_ += begin_ - kHead;
  mark_ = kHead;
  std::memmove(buf_.data() + kHead, buf_.data() + begin_, end_ - begin_);
  end_ -= begin_ - kHead;
  begin_ = kHead;
}

bool StreamScanner::Extract(std::size_t end, bool last, const StreamScanControl& control) {
  std::size_t start = begin_;
  if (!first_window_ && carried_name_ != 0) {
    // " name" before the blank the window starts with, in the room before it.
    const std::string_view name = LinkAttributes[carried_name_ - 1];
    start -= name.size() + 1;
    buf_[start] = ' ';
    std::memcpy(buf_.data() + start + 1, name.data(), name.size());
  }
  link_bytes_.clear();
  link_ends_.clear();
  scanning::Extraction extraction(buf_.data() + start, end - start, control.cancel);
  if (details_ & (kRowPlace | kRowCount)) {
    found_.clear();
    extraction.Run(scanning::Offer{[](void* context, std::string_view address, unsigned sub_pass) {
                                     auto* self = static_cast<StreamScanner*>(context);
                                     address = Trimmed(address);
                                     if (address.empty()) return;
                                     const auto pos = static_cast<std::size_t>(address.data() -
                                                                               self->buf_.data());
                                     self->found_.push_back(
                                         Found{pos, address.size(), sub_pass, 0});
                                   },
                                   this});
    if (!last && extraction.RanOffEnd()) return false;
    AddFound();
    carried_name_ = extraction.TrailingName();
    return true;
  }
  extraction.Run(scanning::Offer{
      [](void* context, std::string_view address, unsigned sub_pass) {
        auto* self = static_cast<StreamScanner*>(context);
        address = Trimmed(address);
        if (address.empty()) return;
        if (sub_pass < scanning::kFirstLinkSubPass) {
          self->store_.Add(address, sub_pass);
        } else {
          self->link_bytes_.append(address);
          self->link_ends_.emplace_back(sub_pass, self->link_bytes_.size());
        }
      },
      this});
  if (!last && extraction.RanOffEnd()) return false;
  std::size_t from = 0;
  for (const auto& [sub_pass, to] : link_ends_) {
    store_.Add(std::string_view(link_bytes_).substr(from, to - from), sub_pass);
    from = to;
  }
  carried_name_ = extraction.TrailingName();
  return true;
}

namespace {

// LFs in [from, to): a loop the compiler turns into vector compares, some
// ten times quicker than a memchr call per line on short lines.
std::uint64_t CountLfs(const char* from, const char* to) {
  std::uint64_t lines = 0;
  for (; to - from >= 64; from += 64) {
    unsigned block = 0;
    for (int i = 0; i < 64; ++i) block += from[i] == '\n';
    lines += block;
  }
  for (; from < to; ++from) lines += *from == '\n';
  return lines;
}

}  // namespace

void StreamScanner::AdvanceMark(std::size_t pos) {
  if (pos > mark_) lines_ += CountLfs(buf_.data() + mark_, buf_.data() + pos);
  mark_ = pos;
  while (!dropped_crs_.empty() && dropped_crs_.front() < Absolute(pos)) {
    dropped_crs_.pop_front();
    ++crs_;
  }
}

void StreamScanner::AddFound() {
  const bool places = (details_ & kRowPlace) != 0;
  if (places) {
    // The lines of the findings in one walk through the window, in place order.
    order_.clear();
    for (std::size_t i = 0; i < found_.size(); ++i) order_.emplace_back(found_[i].pos, i);
    std::sort(order_.begin(), order_.end());
    std::size_t at = mark_;
    std::uint64_t lines = lines_;
    for (const auto& [pos, i] : order_) {
      lines += CountLfs(buf_.data() + at, buf_.data() + pos);
      at = pos;
      found_[i].line = lines + 1;
    }
    // No finding lies past the next window's start: the LFs counted so far
    // need not be counted again.
    mark_ = at;
    lines_ = lines;
  }
  // Passes 1 to 3 first, then the quoted values: the order of the plain scan.
  const auto add = [&](const Found& found, std::uint64_t occurrences) {
    const std::string_view address(buf_.data() + found.pos, found.size);
    if (!places) return store_.Add(address, found.sub_pass, 0, 0, occurrences);
    const std::uint64_t text_offset = Absolute(found.pos);
    const auto crs = std::upper_bound(dropped_crs_.begin(), dropped_crs_.end(), text_offset);
    store_.Add(address, found.sub_pass, found.line,
               text_offset + crs_ + static_cast<std::uint64_t>(crs - dropped_crs_.begin()),
               occurrences);
  };
  taken_.clear();
  bool links = false;
  for (const Found& found : found_) {
    if (found.sub_pass >= scanning::kFirstLinkSubPass) {
      links = true;
      continue;
    }
    add(found, 1);
    taken_.emplace_back(found.pos, found.size);
  }
  if (!links) return;
  // A quoted value may be the very address pass 1 took there (href="http:…"):
  // one occurrence, not two.
  std::sort(taken_.begin(), taken_.end());
  for (const Found& found : found_) {
    if (found.sub_pass < scanning::kFirstLinkSubPass) continue;
    const bool again = std::binary_search(
        taken_.begin(), taken_.end(), std::pair<std::size_t, std::size_t>(found.pos, found.size));
    add(found, again ? 0 : 1);
  }
}

}  // namespace korvel
