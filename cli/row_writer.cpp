#include "cli/row_writer.h"

#include <array>
#include <charconv>
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

// RFC 4180: a field with a comma, quote, CR or LF is quoted, its quotes
// doubled.
void AppendCsvField(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.append(text);
    return;
  }
  static constexpr ByteSet kSpecial = MakeByteSet("\"");
  out.push_back('"');
  AppendEscaped(out, text, kSpecial, [](std::string& o, unsigned char) { o.append("\"\""); });
  out.push_back('"');
}

const char* KindName(AddressKind kind) {
  switch (kind) {
    case AddressKind::Prefixed: return "prefixed";
    case AddressKind::Email: return "email";
    case AddressKind::Drive: return "drive";
    case AddressKind::Link: return "link";
  }
  return "prefixed";
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
    else if (format_ == RowFormat::Csv)
      AppendCsvField(formatted_location_, location);
    else
      AppendTsvField(formatted_location_, location);
  }
  return formatted_location_;
}

void RowWriter::Rows(const AddressBatch& addresses, std::string_view location) {
  if (!addresses.HasDetails()) {
    for (std::string_view address : addresses) Row(address, location);
    return;
  }
  for (std::size_t i = 0; i < addresses.Count(); ++i)
    Row(addresses[i], location, &addresses.Detail(i));
}

void RowWriter::Header() {
  if (format_ != RowFormat::Csv) return;
  std::string& out = output_.Buffer();
  out.append("address,location");
  if (fields_.place) out.append(",line,offset");
  if (fields_.count) out.append(",count");
  if (fields_.files) out.append(",files");
  out.append("\r\n");
  output_.Written();
}

void RowWriter::Row(std::string_view address, std::string_view location, const RowDetail* detail,
                    const SweepCount* sweep) {
  std::string& out = output_.Buffer();
  // The optional fields, each after `separator` (and its JSON name).
  const auto numbers = [&](char separator, bool json) {
    const RowDetail none;
    const RowDetail& d = detail != nullptr ? *detail : none;
    const auto field = [&](const char* name, std::uint64_t value) {
      out.push_back(separator);
      if (json) out.append("\"").append(name).append("\":");
      char digits[24];
      out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    };
    if (fields_.place) {
      field("line", d.line);
      field("offset", d.offset);
    }
    if (fields_.count) field("count", sweep != nullptr ? sweep->occurrences : d.count);
    if (fields_.files) field("files", sweep != nullptr ? sweep->files : 1);
  };
  switch (format_) {
    case RowFormat::Tsv:
      AppendTsvField(out, address);
      out.push_back('\t');
      out.append(FormattedLocation(location));
      numbers('\t', false);
      out.push_back('\n');
      break;
    case RowFormat::Csv:
      AppendCsvField(out, address);
      out.push_back(',');
      out.append(FormattedLocation(location));
      numbers(',', false);
      out.append("\r\n");
      break;
    case RowFormat::Export: AppendExportLine(out, address); break;
    case RowFormat::Json:
      out.append("{\"address\":");
      AppendJsonField(out, address);
      out.append(",\"location\":");
      out.append(FormattedLocation(location));
      if (detail != nullptr)
        out.append(",\"kind\":\"").append(KindName(detail->kind)).push_back('"');
      numbers(',', true);
      out.append("}\n");
      break;
  }
  output_.Written();
}

}  // namespace korvel
