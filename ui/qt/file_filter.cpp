#include "ui/qt/file_filter.h"

#include "ui/file_dialog.h"
#include "ui/qt/display_text.h"

namespace korvel::qt {
namespace {

// "*.*" is every file on Windows; Qt reads it literally (names with a dot).
QString QtPatterns(const std::string& patterns) {
  QStringList out;
  for (QString pattern : DisplayText(patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    pattern = pattern.trimmed();
    if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    if (!pattern.isEmpty()) out << pattern;
  }
  return out.join(QLatin1Char(' '));
}

}  // namespace

QStringList QtNameFilters(const std::string& filter) {
  QStringList filters;
  for (const auto& [text, patterns] : ParseFileFilter(filter)) {
    const QString qtPatterns = QtPatterns(patterns);
    if (qtPatterns.isEmpty()) continue;
    // Qt takes the patterns from the label's last parenthesised group:
    // replace the label's own group, or add one.
    QString label = DisplayText(text).trimmed();
    const qsizetype open = label.lastIndexOf(QLatin1Char('('));
    if (open >= 0 && label.endsWith(QLatin1Char(')'))) label = label.left(open).trimmed();
    filters << (label.isEmpty() ? qtPatterns
                                : label + QStringLiteral(" (") + qtPatterns + QLatin1Char(')'));
  }
  return filters;
}

}  // namespace korvel::qt
