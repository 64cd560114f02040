#pragma once
// GoogleTest builds its Notification on std::mutex, which this compiler's win32
// thread model lacks. Only GoogleTest's own thread tests wait on one; ours run
// on one thread, so a flag serves.
#include <atomic>

namespace testing::internal {

class Notification {
 public:
  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
