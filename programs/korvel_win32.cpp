// korvel.exe: the application on the native Win32 backend.
#include <exception>
#include <string>
#include <vector>

#include "app/korvel_main.h"
#include "ui/win32/win32_backend.h"

int main(int argc, char** argv) {
  try {
    korvel::win32::Win32Backend backend;
    // The first argument locates the manual: make it the program's full path.
    std::string self = korvel::win32::ModulePath(argc > 0 && argv[0] != nullptr ? argv[0] : "");
    std::vector<char*> args(argv, argv + argc);
    if (args.empty()) args.push_back(nullptr);
    args[0] = self.data();
    const int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    return korvel::KorvelMain(count, args.data(), backend);
  } catch (const std::exception&) {
    // No window could be made (no desktop to show it on): end at once.
    return 1;
  }
}
