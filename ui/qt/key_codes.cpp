#include "ui/qt/key_codes.h"

namespace korvel::qt {

UINT VirtualKey(const QKeyEvent& event) {
  const int key = event.key();
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + static_cast<UINT>(key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + static_cast<UINT>(key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
  }
}

BYTE KeyModifiers(Qt::KeyboardModifiers modifiers) {
  BYTE bits = 0;
  if (modifiers & Qt::ShiftModifier) bits |= FSHIFT;
  if (modifiers & Qt::ControlModifier) bits |= FCONTROL;
  if (modifiers & Qt::AltModifier) bits |= FALT;
  return bits;
}

}  // namespace korvel::qt
