#pragma once
// One of the program's dialog templates as the DLGTEMPLATEEX block that
// CreateDialogIndirectParam takes: the dialog's styles and font, the menu by
// its resource id, every control with its class, styles, place and text, and
// the about box's picture by its bitmap id.
#include <cstdint>
#include <vector>

#include "ui/resource_types.h"

namespace korvel::win32 {

// The block is built hidden (without WS_VISIBLE): the modal loop shows the
// window once the layer has initialised it. Texts are converted from the ANSI
// code page. The vector's storage is DWORD-aligned, as the system requires.
std::vector<std::uint32_t> BuildDialogTemplate(const DialogTemplate& dialogTemplate);

}  // namespace korvel::win32
