// What the client costs beyond the pauses it asks for, through the console host and the fake
// adb: wall time minus the pauses counted by the clock, per operation.
#include <benchmark/benchmark.h>

#include <chrono>

#include "device/adb_client.h"
#include "fake_adb_fixture.h"
#include "text/encoding.h"

namespace lingqiao {
namespace {

template <typename Op>
void MeasureBeyondPauses(benchmark::State& state, Op op) {
  FakeAdbFixture fake;
  auto clock = std::make_shared<CountingClock>(true);
  AdbClient adb(clock);
  adb.StartServer(Utf8ToGbk(PathToUtf8(FakeAdbFixture::AdbProgram())));
  adb.SetDeviceAddress("127.0.0.1:6555");
  adb.ConnectDevice();
  double beyondMs = 0;
  for (auto _ : state) {
    const int64_t pausedBefore = clock->PausedMs();
    const auto start = std::chrono::steady_clock::now();
    op(adb);
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    beyondMs += wallMs - static_cast<double>(clock->PausedMs() - pausedBefore);
  }
  state.counters["beyond_pauses_ms"] =
      benchmark::Counter(beyondMs / static_cast<double>(state.iterations()));
}

void BM_RunAdbCommand(benchmark::State& state) {
  MeasureBeyondPauses(state, [](AdbClient& adb) { adb.RunAdbCommand("adb -s 127.0.0.1:6555 shell input tap 1 2"); });
}
BENCHMARK(BM_RunAdbCommand)->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_Tap(benchmark::State& state) {
  MeasureBeyondPauses(state, [](AdbClient& adb) { adb.Tap("100", "200"); });
}
BENCHMARK(BM_Tap)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
}  // namespace lingqiao

BENCHMARK_MAIN();
