#pragma once
// The address scan of a stream of any size: reads the bytes once, forward,
// in chunks, and gives exactly the rows that AddressScanner::ScanText gives
// for the whole text content (each cut at its first NUL), in bounded memory.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "scan/address_batch.h"
#include "scan/address_scanner.h"
#include "scan/address_store.h"
#include "scan/byte_source.h"

namespace korvel {

// What the caller hands a scan: a flag polled between chunks and inside the
// passes (ScanCancelled), and a counter of the bytes as they are read. Both
// may be null.
struct StreamScanControl {
  const std::atomic<bool>* cancel = nullptr;
  std::atomic<std::uint64_t>* bytes_read = nullptr;
  unsigned details = 0;  // RowDetails the rows carry
};

struct StreamScanResult {
  // 0, or the system's error number of a failed read: the text ended there
  // and the rows are those of what was read before it.
  int error = 0;
  std::uint64_t bytes_read = 0;
};

// One per worker thread: keeps its buffers from file to file.
class StreamScanner {
 public:
  static constexpr std::size_t kDefaultChunk = std::size_t{4} << 20;

  explicit StreamScanner(std::size_t chunk_size = kDefaultChunk);

  // Bytes asked of the source at a time (at least 1).
  void SetChunkSize(std::size_t chunk_size) { chunk_ = chunk_size > 0 ? chunk_size : 1; }

  // Replaces `rows` by the addresses of the text content of `source` (CR LF
  // as LF, ends at the first 0x1A). `size_hint` is the expected size, 0 if
  // unknown. Throws ScanCancelled, and std::bad_alloc when what must be held
  // at once (one address, or a quoted value and the text it spans) does not
  // fit in memory; `rows` is then left empty.
  StreamScanResult Scan(ByteSource& source, std::uint64_t size_hint, AddressBatch& rows,
                        const StreamScanControl& control = {});

  // Gives back the buffers kept for the next file.
  void ReleaseMemory() noexcept;

 private:
  // Room kept before the text for an attribute name carried over a cut.
  static constexpr std::size_t kHead = 16;

  void ReadMore(ByteSource& source, const StreamScanControl& control, StreamScanResult& result);
  // Turns the `count` raw bytes at end_ into text in place.
  void Convert(std::size_t count);
  // Runs the passes over buf_[begin_, end); false when the window must grow.
  bool Extract(std::size_t end, bool last, const StreamScanControl& control);
  void Compact();
  void Reset() noexcept;
  // Counts the LFs from mark_ to buf_[pos] and moves the mark there.
  void AdvanceMark(std::size_t pos);
  // Adds the findings of a window with their places (RowDetails asked for).
  void AddFound();
  std::uint64_t Absolute(std::size_t pos) const { return base_ + (pos - kHead); }

  std::size_t chunk_;
  std::size_t ask_ = 0;  // bytes asked of the source in the next read
  std::string buf_;          // kHead bytes of room, then the text
  std::size_t begin_ = kHead;  // the next window starts here
  std::size_t end_ = kHead;    // the text read so far ends here
  bool pending_cr_ = false;  // buf_[end_ - 1] is a CR whose next byte is unread
  bool at_end_ = false;
  bool started_ = false;      // the first non-blank was seen
  bool first_window_ = true;  // the window starts the text: no blank before it
  std::size_t carried_name_ = 0;
  scanning::AddressStore store_;
  // Quoted values of the current window, held back until the window proves
  // whole: (sub-pass, end in link_bytes_).
  std::string link_bytes_;
  std::vector<std::pair<unsigned, std::size_t>> link_ends_;

  // Places and counts, kept only when asked for. A window's findings wait
  // until it proves whole, as a window tried again finds them again.
  unsigned details_ = 0;
  struct Found {
    std::size_t pos, size;
    unsigned sub_pass;
    std::uint64_t line;
  };
  std::vector<Found> found_;
  std::vector<std::pair<std::size_t, std::size_t>> order_;  // (pos, index in found_)
  std::vector<std::pair<std::size_t, std::size_t>> taken_;  // (pos, size) by passes 1 to 3
  std::uint64_t base_ = 0;               // text offset of buf_[kHead]
  std::size_t mark_ = kHead;             // lines_ LFs lie before buf_[mark_]
  std::uint64_t lines_ = 0;
  // Text offsets where a CR of a CR LF was dropped (the LF's), from mark_ on;
  // crs_ of them lie before it.
  std::deque<std::uint64_t> dropped_crs_;
  std::uint64_t crs_ = 0;
};

}  // namespace korvel
