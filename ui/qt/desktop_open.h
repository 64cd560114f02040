#pragma once
// Opening a file in its default program, or a folder in the file manager.
#include <string>

namespace korvel::qt {

// Runs the desktop's opener (xdg-open) on `path`, whose bytes go to it
// unchanged. Returns false when the path does not exist, the opener cannot be
// started, or it exits with a failure within a short wait; an opener still
// running after that wait counts as success and is left to run on its own.
bool OpenWithDesktop(const std::string& path);

// The opener's name; tests point it elsewhere.
void SetDesktopOpener(const std::string& program);

}  // namespace korvel::qt
