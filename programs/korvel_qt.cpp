// The `korvel` program on Linux: the application on the Qt 6 Widgets backend.
#include <unistd.h>

#include <QApplication>
#include <string>
#include <vector>

#include "app/korvel_main.h"
#include "ui/qt/qt_backend.h"
#include "ui/qt/resource_images.h"

namespace {

// The program's own file, whatever name it was started under: the manual
// beside it must be found also when it is started from the search path.
std::string OwnPath(const char* argv0) {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return argv0;
  path.resize(static_cast<std::size_t>(length));
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korvel"));
  QApplication::setDesktopFileName(QStringLiteral("korvel"));
  QApplication::setWindowIcon(korvel::qt::ResourceIcon(128));

  korvel::qt::QtBackend backend;
  std::string self = OwnPath(argv[0]);
  std::vector<char*> args(argv, argv + argc);
  args.push_back(nullptr);
  args[0] = self.data();
  return korvel::KorvelMain(argc, args.data(), backend);
}
