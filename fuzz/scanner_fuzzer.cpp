// Feeds arbitrary bytes to the scanner and to the step-by-step reference and
// stops at the first difference; also checks the text-mode conversion, and
// the streamed scan against the whole-text scan (the first byte picks the
// chunk size).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "reference_scanner.h"
#include "scan/address_scanner.h"
#include "scan/text_file.h"
#include "stream_check.h"

namespace {

// Text mode the obvious way: stop at Ctrl+Z, drop each CR that precedes LF,
// and end a last unterminated line with LF.
std::string ReferenceText(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1a'; ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += bytes[i];
  }
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text;
}

void Check(bool same, const char* what) {
  if (!same) {
    std::fprintf(stderr, "difference: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  korvel::AddressScanner scanner;
  scanner.ScanText(input, false);
  Check(scanner.Addresses() == korvel::reference::Addresses(input), "one text");

  // The second half appended to the first: the duplicate test spans both.
  const std::string first = input.substr(0, size / 2);
  const std::string second = input.substr(size / 2);
  std::vector<std::string> expected;
  korvel::reference::ExtractAddresses(first, expected);
  korvel::reference::ExtractAddresses(second, expected);
  scanner.ScanText(first, false);
  scanner.ScanText(second, true);
  Check(scanner.Addresses() == expected, "appended texts");

  std::string converted = input;
  korvel::ConvertToText(converted);
  Check(converted == ReferenceText(input), "text mode");

  if (size > 0) {
    const std::size_t chunk = 1 + (data[0] & 0x7F) * ((data[0] & 0x80) ? 37 : 1);
    Check(korvel::testing::StreamedRows(input.substr(1), chunk) ==
              korvel::testing::WholeTextRows(input.substr(1)),
          "streamed scan");
  }
  return 0;
}
