#pragma once
// The messages that travel between a backend, the layer and the program.
#include <string>
#include <vector>

#include "ui/win_types.h"

namespace korvel {

// One input message as the modal loop picks it up. For key messages wParam is
// the virtual key and `modifiers` the FSHIFT/FCONTROL/FALT bits held down.
struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  BYTE modifiers = 0;
};

inline bool IsKeyMessage(const MSG& msg) {
  return msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
}

// WM_NOTIFY's lParam points to this.
struct NMHDR {
  HWND hwndFrom = nullptr;
  UINT idFrom = 0;
  UINT code = 0;
};

// WM_DROPFILES's wParam: the dropped paths, in the order the desktop gave them.
struct DropFiles {
  std::vector<std::string> paths;
  bool finished = false;
};
using HDROP = DropFiles*;

// The number of dropped items.
UINT DragQueryFileCount(HDROP drop);
// The path of item `index`; empty when there is no such item.
std::string DragQueryFile(HDROP drop, UINT index);
// Releases the drop; its paths are not to be read afterwards.
void DragFinish(HDROP drop);

}  // namespace korvel
