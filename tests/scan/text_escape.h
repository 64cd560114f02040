#pragma once
// Shows a byte string with every unusual byte escaped, for test messages.
#include <cstdio>
#include <string>
#include <vector>

namespace korvel::testing {

inline std::string Escape(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

inline std::string EscapeList(const std::vector<std::string>& list) {
  std::string out = "{";
  for (const std::string& s : list) out += (out.size() > 1 ? ", \"" : "\"") + Escape(s) + "\"";
  return out + "}";
}

}  // namespace korvel::testing
