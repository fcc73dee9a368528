// A 50-line tap script through Debian's adb against the simulator, on 1 and on 8 devices at
// once: wall time divided by the pauses the run asked for on each device. Above 1 is time the
// run spent beyond its own pauses (adb, the console, the simulator, contention).
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "device/adb_client.h"
#include "engine/reporter.h"
#include "engine/script_runner.h"
#include "simulated_emulators.h"

namespace lingqiao {
namespace {

void BM_TapScript(benchmark::State& state) {
  const int devices = static_cast<int>(state.range(0));
  SimulatedEmulators sim(devices);
  if (!sim.Ready()) {
    state.SkipWithError("the simulator did not start");
    return;
  }
  std::vector<std::shared_ptr<CountingClock>> clocks;
  std::vector<std::unique_ptr<AdbClient>> clients;
  for (int d = 0; d < devices; ++d) {
    clocks.push_back(std::make_shared<CountingClock>(true));
    clients.push_back(std::make_unique<AdbClient>(clocks.back()));
    clients.back()->StartServer(SimulatedEmulators::AdbPath());
    clients.back()->SetDeviceAddress(sim.Address(static_cast<size_t>(d)));
    clients.back()->ConnectDevice();
  }
  std::string script;
  for (int i = 0; i < 50; ++i) script += "屏幕点击(" + std::to_string(100 + i) + ",200)\r\n";
  double ratioSum = 0;
  for (auto _ : state) {
    std::vector<int64_t> before;
    for (auto& c : clocks) before.push_back(c->PausedMs());
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> runs;
    for (auto& client : clients) {
      runs.emplace_back([&script, &client] {
        RecordingReporter reporter(false);
        RunScript(*client, reporter, script);
      });
    }
    for (auto& t : runs) t.join();
    const double wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    double paused = 0;
    for (size_t d = 0; d < clocks.size(); ++d) paused += static_cast<double>(clocks[d]->PausedMs() - before[d]);
    ratioSum += wallMs / (paused / devices);
  }
  state.counters["wall_per_pauses"] = ratioSum / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TapScript)->Arg(1)->Arg(8)->Iterations(3)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace lingqiao

BENCHMARK_MAIN();
