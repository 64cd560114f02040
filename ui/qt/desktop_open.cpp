#include "ui/qt/desktop_open.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTimer>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

extern char** environ;

namespace korvel::qt {
namespace {

std::string& Opener() {
  static std::string program = "xdg-open";
  return program;
}

// Openers still running when we stopped waiting; reaped as they end so that
// they leave no zombies behind.
std::vector<pid_t>& Running() {
  static std::vector<pid_t> pids;
  return pids;
}

void ReapLater(pid_t pid) {
  Running().push_back(pid);
  static QTimer* reaper = nullptr;
  if (reaper) return;
  reaper = new QTimer;  // lives until exit: openers may outlive every window
  reaper->setInterval(1000);
  QObject::connect(reaper, &QTimer::timeout, [] {
    auto& pids = Running();
    std::erase_if(pids, [](pid_t p) {
      int status = 0;
      return waitpid(p, &status, WNOHANG) != 0;
    });
    if (pids.empty()) reaper->stop();
  });
  reaper->start();
}

}  // namespace

void SetDesktopOpener(const std::string& program) { Opener() = program; }

bool OpenWithDesktop(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return false;

  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // Its own process group: a Ctrl+C in our terminal must not close the
  // program it starts.
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  std::string program = Opener();
  std::string argument = path;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv, environ);
  posix_spawnattr_destroy(&attr);
  if (error != 0) return false;

  // Most openers hand the file to a running desktop service and exit at
  // once; wait a moment for that verdict.
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + milliseconds(1500);
  while (steady_clock::now() < deadline) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (done < 0 && errno != EINTR) return false;
    std::this_thread::sleep_for(milliseconds(10));
  }
  ReapLater(pid);
  return true;
}

}  // namespace korvel::qt
