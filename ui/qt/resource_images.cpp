#include "ui/qt/resource_images.h"

#include <QFile>
#include <QImageReader>

// The resource file is compiled into a static library: make sure its
// registration is linked in and has run.
static void InitKorvelResources() { Q_INIT_RESOURCE(korvel); }

namespace korvel::qt {
namespace {

void EnsureResources() {
  static const bool done = [] {
    InitKorvelResources();
    return true;
  }();
  (void)done;
}

bool CanRenderSvg() {
  static const bool svg = QImageReader::supportedImageFormats().contains("svg");
  return svg;
}

}  // namespace

QIcon ResourceIcon(int id) {
  EnsureResources();
  const QString base = QStringLiteral(":/icons/%1").arg(id);
  QIcon icon;
  if (CanRenderSvg() && QFile::exists(base + QStringLiteral(".svg"))) {
    icon.addFile(base + QStringLiteral(".svg"));
    return icon;
  }
  for (int size : {16, 32, 48, 256}) {
    const QString png = base + QStringLiteral("-%1.png").arg(size);
    if (QFile::exists(png)) icon.addFile(png, QSize(size, size));
  }
  return icon;
}

QPixmap ResourceBitmap(int id) {
  EnsureResources();
  return QPixmap(QStringLiteral(":/about/%1.png").arg(id));
}

}  // namespace korvel::qt
