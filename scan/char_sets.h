#pragma once
// The stop-character sets of the address scanner, as 256-entry lookup tables.
// Every set holds the five blanks, so a stretch blanked with spaces always
// stops a later search.
#include <array>
#include <cstddef>
#include <string_view>

namespace korvel {

// Members of each set, one byte each, listed once.
inline constexpr std::string_view UrlStopChars{" \t\r\f\n\"'<>|*()[]{},"};
inline constexpr std::string_view MailboxStopChars{" \t\r\f\n\"'`~!@#$%&*()=+|\\[]{};:<>,?/"};
inline constexpr std::string_view HostStopChars{" \t\r\f\n\"'`~!@#$%&*()=+|\\[]{};:<>,?/."};

class CharSet {
 public:
  constexpr explicit CharSet(std::string_view members) : table_{} {
    for (char c : members) table_[static_cast<unsigned char>(c)] = true;
  }
  constexpr bool Contains(unsigned char c) const { return table_[c]; }
  constexpr bool Contains(char c) const { return table_[static_cast<unsigned char>(c)]; }
  constexpr std::size_t Size() const {
    std::size_t n = 0;
    for (bool member : table_) n += member ? 1 : 0;
    return n;
  }

 private:
  std::array<bool, 256> table_;
};

// End of a prefixed address and of a drive path.
inline constexpr CharSet UrlStops{UrlStopChars};
// Start of a mailbox.
inline constexpr CharSet MailboxStops{MailboxStopChars};
// End of a host, and what must stand before a drive letter.
inline constexpr CharSet HostStops{HostStopChars};

static_assert(UrlStops.Size() == 18 && UrlStopChars.size() == 18);
static_assert(MailboxStops.Size() == 33 && MailboxStopChars.size() == 33);
static_assert(HostStops.Size() == 34 && HostStopChars.size() == 34);

}  // namespace korvel
