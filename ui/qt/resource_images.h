#pragma once
// The program's pictures from the compiled-in resource file, by resource id.
#include <QIcon>
#include <QPixmap>

namespace korvel::qt {

// Icon `id` (":/icons/<id>.svg" drawn crisp at any size, with the PNGs as a
// fallback where no SVG renderer is installed); null when there is none.
QIcon ResourceIcon(int id);
// Bitmap `id` (":/about/<id>.png"); null when there is none.
QPixmap ResourceBitmap(int id);

}  // namespace korvel::qt
