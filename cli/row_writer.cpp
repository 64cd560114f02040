#include "cli/row_writer.h"

#include <array>
#include <cstdint>

#include "platform/text_bytes.h"
#include "settings/export.h"

namespace korvel {
namespace {

using ByteSet = std::array<bool, 256>;

constexpr ByteSet MakeByteSet(std::string_view members, bool controls = false) {
  ByteSet set{};
  for (char c : members) set[static_cast<unsigned char>(c)] = true;
  for (int c = 0; controls && c < 0x20; ++c) set[c] = true;
  return set;
}

// Appends the runs between members of `special` in one go; `escape` writes
// one special byte.
template <typename Escape>
void AppendEscaped(std::string& out, std::string_view text, const ByteSet& special, Escape escape) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t run = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (!special[bytes[i]]) continue;
    out.append(text.data() + run, i - run);
    escape(out, bytes[i]);
    run = i + 1;
  }
  out.append(text.data() + run, size - run);
}

void AppendTsvField(std::string& out, std::string_view text) {
  static constexpr ByteSet kSpecial = MakeByteSet("\\\t\n\r");
  AppendEscaped(out, text, kSpecial, [](std::string& o, unsigned char c) {
    o.push_back('\\');
    o.push_back(c == '\\' ? '\\' : c == '\t' ? 't' : c == '\n' ? 'n' : 'r');
  });
}

void AppendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  static constexpr ByteSet kSpecial = MakeByteSet("\"\\", true);
  AppendEscaped(out, text, kSpecial, [](std::string& o, unsigned char c) {
    switch (c) {
      case '"': o.append("\\\""); break;
      case '\\': o.append("\\\\"); break;
      case '\b': o.append("\\b"); break;
      case '\f': o.append("\\f"); break;
      case '\n': o.append("\\n"); break;
      case '\r': o.append("\\r"); break;
      case '\t': o.append("\\t"); break;
      default: AppendHexByte(o.append("\\u00"), c);
    }
  });
  out.push_back('"');
}

void AppendBase64(std::string& out, std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t v = std::uint32_t(std::uint8_t(bytes[i])) << 16 |
                            std::uint32_t(std::uint8_t(bytes[i + 1])) << 8 |
                            std::uint8_t(bytes[i + 2]);
    out.push_back(kDigits[v >> 18]);
    out.push_back(kDigits[(v >> 12) & 63]);
    out.push_back(kDigits[(v >> 6) & 63]);
    out.push_back(kDigits[v & 63]);
  }
  const std::size_t rest = bytes.size() - i;
  if (rest == 0) return;
  std::uint32_t v = std::uint32_t(std::uint8_t(bytes[i])) << 16;
  if (rest == 2) v |= std::uint32_t(std::uint8_t(bytes[i + 1])) << 8;
  out.push_back(kDigits[v >> 18]);
  out.push_back(kDigits[(v >> 12) & 63]);
  out.push_back(rest == 2 ? kDigits[(v >> 6) & 63] : '=');
  out.push_back('=');
}

void AppendJsonField(std::string& out, std::string_view text) {
  if (IsUtf8(text)) {
    AppendJsonString(out, text);
  } else {
    out.append("{\"bytes\":\"");
    AppendBase64(out, text);
    out.append("\"}");
  }
}

}  // namespace

const std::string& RowWriter::FormattedLocation(std::string_view location) {
  if (location != location_ || location_.empty()) {
    location_.assign(location);
    formatted_location_.clear();
    if (format_ == RowFormat::Json)
      AppendJsonField(formatted_location_, location);
    else
      AppendTsvField(formatted_location_, location);
  }
  return formatted_location_;
}

void RowWriter::Rows(const AddressBatch& addresses, std::string_view location) {
  for (std::string_view address : addresses) Row(address, location);
}

void RowWriter::Row(std::string_view address, std::string_view location) {
  std::string& out = output_.Buffer();
  switch (format_) {
    case RowFormat::Tsv:
      AppendTsvField(out, address);
      out.push_back('\t');
      out.append(FormattedLocation(location));
      out.push_back('\n');
      break;
    case RowFormat::Export: AppendExportLine(out, address); break;
    case RowFormat::Json:
      out.append("{\"address\":");
      AppendJsonField(out, address);
      out.append(",\"location\":");
      out.append(FormattedLocation(location));
      out.append("}\n");
      break;
  }
  output_.Written();
}

}  // namespace korvel
