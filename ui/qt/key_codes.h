#pragma once
// Qt key events in the window system's terms: virtual keys and the
// FSHIFT/FCONTROL/FALT modifier bits that accelerator tables use.
#include <QKeyEvent>

#include "ui/win_types.h"

namespace korvel::qt {

// 0 for keys that have no virtual key (or are modifiers on their own).
UINT VirtualKey(const QKeyEvent& event);
BYTE KeyModifiers(Qt::KeyboardModifiers modifiers);

}  // namespace korvel::qt
