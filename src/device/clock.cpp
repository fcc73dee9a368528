#include "device/clock.h"

#include <chrono>
#include <thread>

namespace lingqiao {

void RealClock::Sleep(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

uint64_t RealClock::TickCount() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void CountingClock::Sleep(int ms) {
  if (ms < 0) ms = 0;
  paused_ += ms;
  ++pauses_;
  if (wait_) real_.Sleep(ms);
}

uint64_t CountingClock::TickCount() {
  if (wait_) return real_.TickCount();
  return static_cast<uint64_t>(paused_.load());
}

std::shared_ptr<Clock> MakeRealClock() { return std::make_shared<RealClock>(); }

}  // namespace lingqiao
