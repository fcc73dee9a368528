// The interpreter's cost per line, and how close a run over a real console comes to the
// pauses it asks for.
//
//   engine_bench --benchmark_filter='Line'      per-line cost: describe and execute mode,
//                                               recording console, clock that does not wait
//   engine_bench --benchmark_filter=TapScript   100 taps through the console host into the
//                                               fake adb, clock that waits and counts
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "device/adb_client.h"
#include "device/clock.h"
#include "engine/reporter.h"
#include "engine/script_line.h"
#include "engine/script_runner.h"
#include "fake_adb_fixture.h"
#include "recorded_client.h"

namespace lingqiao {
namespace {

const std::vector<std::string>& Lines() {
  static const std::vector<std::string> lines = {
      "屏幕点击(100,200)", "延时(0)",        "屏幕滑动(100,200,300,400)",
      "模拟按键(3)",       "文本输入(hello)", "运行应用(com.android.browser,.BrowserActivity)"};
  return lines;
}

void BM_DescribeLine(benchmark::State& state) {
  testing::RecordedClient client;
  size_t i = 0;
  for (auto _ : state) {
    std::string callFormat;
    benchmark::DoNotOptimize(ExecuteScriptLine(*client.adb, Lines()[i], callFormat, true));
    benchmark::DoNotOptimize(callFormat);
    if (++i == Lines().size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DescribeLine);

void BM_ExecuteLine(benchmark::State& state) {
  testing::RecordedClient client;
  std::string callFormat;
  size_t i = 0;
  int64_t n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ExecuteScriptLine(*client.adb, Lines()[i], callFormat, false));
    if (++i == Lines().size()) i = 0;
    // The recording console keeps every line; forget them now and then.
    if ((++n & 4095) == 0) client.Clear();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExecuteLine);

// The run over the console host (Linux) into the fake adb, as the run button runs it: every
// tap is a connect and a tap, each with its 100 ms pause. The figure is wall time over the
// pauses the run asked for.
void BM_TapScriptAgainstFakeAdb(benchmark::State& state) {
  FakeAdbFixture fake;
  auto clock = std::make_shared<CountingClock>(true);
  AdbClient adb(clock);
  adb.StartServer(FakeAdbFixture::AdbProgram().string());
  adb.SetDeviceAddress("127.0.0.1:6555");
  adb.ConnectDevice();
  std::string script;
  for (int i = 0; i < 100; ++i) {
    script += "屏幕点击(" + std::to_string(100 + i) + "," + std::to_string(200 + i) + ")\r\n";
  }
  double wall = 0, paused = 0;
  for (auto _ : state) {
    RecordingReporter reporter(false);
    const int64_t pausedBefore = clock->PausedMs();
    const auto start = std::chrono::steady_clock::now();
    RunScript(adb, reporter, script);
    wall += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    paused += static_cast<double>(clock->PausedMs() - pausedBefore);
  }
  state.counters["wall_ms"] = wall / static_cast<double>(state.iterations());
  state.counters["paused_ms"] = paused / static_cast<double>(state.iterations());
  state.counters["wall_over_pauses"] = paused > 0 ? wall / paused : 0;
  state.counters["adb_calls"] = static_cast<double>(fake.ReadCalls().size());
}
BENCHMARK(BM_TapScriptAgainstFakeAdb)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace lingqiao
