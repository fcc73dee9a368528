// Time as the device layer sees it: pauses and a millisecond tick count. The real clock
// sleeps; the counting clock adds up the pauses asked of it, for benchmarks (which subtract
// them from wall time) and for dry runs (which do not wait at all).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace lingqiao {

class Clock {
 public:
  virtual ~Clock() = default;
  // Pauses the calling thread; a negative pause is no pause.
  virtual void Sleep(int ms) = 0;
  // Milliseconds since some fixed point.
  virtual uint64_t TickCount() = 0;
};

class RealClock : public Clock {
 public:
  void Sleep(int ms) override;
  uint64_t TickCount() override;
};

// Counts every pause. With `wait` it also sleeps and its ticks are real; without, it returns
// at once and its ticks advance by the pauses alone, so time-outs still end.
class CountingClock : public Clock {
 public:
  explicit CountingClock(bool wait) : wait_(wait) {}
  void Sleep(int ms) override;
  uint64_t TickCount() override;
  int64_t PausedMs() const { return paused_.load(); }
  int64_t Pauses() const { return pauses_.load(); }

 private:
  bool wait_;
  RealClock real_;
  std::atomic<int64_t> paused_{0};
  std::atomic<int64_t> pauses_{0};
};

// A real clock for callers that give none.
std::shared_ptr<Clock> MakeRealClock();

}  // namespace lingqiao
