#pragma once
// Forced into every GoogleTest unit of the cross build. Debian's mingw-w64 defaults to the
// win32 thread model, whose standard library has no std::mutex; GoogleTest needs one only for
// the start signal of its own threads, which these cases never create.
#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {
class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { FNotified = true; }
  void WaitForNotification() {
    while (!FNotified) {
    }
  }

 private:
  volatile bool FNotified = false;
};
}  // namespace testing::internal
