#pragma once
// What a sweep looks inside besides plain bytes: compressed files and
// archives, and text in UTF-16. Both off by default, as files were always read.
#include <cstdint>

namespace korvel {

struct ContentOptions {
  bool decompress = false;      // compressed files, archives, Office documents
  bool sniff_encoding = false;  // a UTF-16 byte-order mark transcodes; a UTF-8 one is dropped
};

}  // namespace korvel
