#include "ui/qt/display_text.h"

#include <QFile>

#include "platform/text_bytes.h"

namespace korvel::qt {
namespace {

// Windows-1252 for 0x80..0x9F; 0xA0..0xFF equal their Latin-1 code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char16_t SingleByte(unsigned char b) {
  if (b >= 0x80 && b < 0xA0) return kCp1252High[b - 0x80];
  return b;
}

}  // namespace

QString DisplayText(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out.append(QChar(static_cast<char16_t>(b)));
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t n = Utf8SequenceLength(bytes, i, cp);
    if (n == 0) {
      out.append(QChar(SingleByte(b)));
      ++i;
    } else {
      out.append(QString::fromUcs4(&cp, 1));
      i += n;
    }
  }
  return out;
}

QString WithoutMnemonics(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
    out.append(text[i]);
  }
  return out;
}

std::string TextBytes(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

std::string PathBytes(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString PathString(const std::string& bytes) {
  return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace korvel::qt
