#include "engine/script_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/reporter.h"
#include "recorded_client.h"

namespace lingqiao {
namespace {

using testing::RecordedClient;
using Kind = RecordingReporter::Kind;
using Event = RecordingReporter::Event;

Event Out(const std::string& t) { return {Kind::kOutput, t}; }
Event State(const std::string& t) { return {Kind::kRunState, t}; }
Event Thumbnail() { return {Kind::kThumbnail, ""}; }

struct RunCase {
  const char* name;
  std::string script;
  std::vector<Event> events;
  RunOutcome::End end;
  int line;
};

// Every run through the run command, from START to the thumbnail.
TEST(RunScript, RunSequences) {
  const std::vector<RunCase> cases = {
      {"empty script",
       "",
       {Out("START：开始执行代码"), State("代码运行完成"), Out("END：代码执行完毕"), Thumbnail()},
       RunOutcome::End::kCompleted,
       0},
      {"three good lines, the last ending in CR LF",
       "延时(1)\r\n模拟按键(3)\r\n模拟按键(4)\r\n",
       {Out("START：开始执行代码"), State("正在执行第：1行代码"), State("正在执行第：2行代码"),
        State("正在执行第：3行代码"), State("代码运行完成"), Out("END：代码执行完毕"),
        Thumbnail()},
       RunOutcome::End::kCompleted,
       0},
      {"ends in two CR LF: the empty line fails",
       "延时(1)\r\n模拟按键(3)\r\n\r\n",
       {Out("START：开始执行代码"), State("正在执行第：1行代码"), State("正在执行第：2行代码"),
        Out("**错误：3行代码运行出错"), Out("END：代码执行完毕"), Thumbnail()},
       RunOutcome::End::kFailed,
       3},
      {"fails at line 2; line 3 is not run",
       "模拟按键(3)\r\n屏幕点击(1)\r\n模拟按键(4)",
       {Out("START：开始执行代码"), State("正在执行第：1行代码"), Out("**错误：2行代码运行出错"),
        Out("END：代码执行完毕"), Thumbnail()},
       RunOutcome::End::kFailed,
       2},
      {"lone LF: one line, only its first command runs",
       "模拟按键(3)\n模拟按键(4)\n",
       {Out("START：开始执行代码"), State("正在执行第：1行代码"), State("代码运行完成"),
        Out("END：代码执行完毕"), Thumbnail()},
       RunOutcome::End::kCompleted,
       0},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedClient client;
    RecordingReporter reporter(/*capture=*/false);
    ScriptRun run = RunScriptCommand(*client.adb, reporter, c.script);
    const RunOutcome outcome = run.Join();
    EXPECT_EQ(reporter.Events(), c.events);
    EXPECT_EQ(outcome.end, c.end);
    EXPECT_EQ(outcome.lineNumber, c.line);
  }
}

TEST(RunScript, LoneLineFeedsRunOnlyTheFirstCommand) {
  RecordedClient client;
  RecordingReporter reporter(false);
  RunScript(*client.adb, reporter, "模拟按键(3)\n模拟按键(4)\n");
  EXPECT_EQ(client.Lines(), std::vector<std::string>{client.Device() + " shell input keyevent 3"});
}

TEST(RunScript, FailureNamesTheLine) {
  RecordedClient client;
  RecordingReporter reporter(false);
  const RunOutcome outcome = RunScript(*client.adb, reporter, "模拟按键(3)\r\n屏幕点击(1)\r\n");
  EXPECT_EQ(outcome.lineText, "屏幕点击(1)");
}

// The closing refresh captures through the run's own client.
TEST(RunScript, ThreadBodyRefreshesThumbnailThroughTheClient) {
  RecordedClient client;
  RecordingReporter reporter;
  RunScriptThread(*client.adb, reporter, "");
  const auto lines = client.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], client.Device() + " shell screencap -p /sdcard/jt.png");
  EXPECT_EQ(lines[1].rfind(client.DeviceByFileName() + " pull /sdcard/jt.png ", 0), 0u);
}

// Two runs on two clients at once: each client gets only its own script's lines.
TEST(RunScript, RunsOnSeveralClientsAtOnce) {
  RecordedClient first;
  RecordedClient second(nullptr, "127.0.0.1:21503");
  RecordingReporter firstReporter(false), secondReporter(false);
  std::string a, b;
  for (int i = 0; i < 50; ++i) {
    a += "模拟按键(3)\r\n";
    b += "模拟按键(4)\r\n";
  }
  ScriptRun runA = RunScriptCommand(*first.adb, firstReporter, a);
  ScriptRun runB = RunScriptCommand(*second.adb, secondReporter, b);
  EXPECT_EQ(runA.Join().end, RunOutcome::End::kCompleted);
  EXPECT_EQ(runB.Join().end, RunOutcome::End::kCompleted);
  EXPECT_EQ(first.Lines(),
            std::vector<std::string>(50, first.Device() + " shell input keyevent 3"));
  EXPECT_EQ(second.Lines(),
            std::vector<std::string>(50, second.Device() + " shell input keyevent 4"));
}

// A clock that raises the stop flag at its first pause: the stop lands inside a wait.
class StoppingClock : public Clock {
 public:
  explicit StoppingClock(StopFlag& stop) : stop_(stop) {}
  void Sleep(int ms) override {
    paused_ += ms;
    stop_ = true;
  }
  uint64_t TickCount() override { return static_cast<uint64_t>(paused_); }
  int paused_ = 0;

 private:
  StopFlag& stop_;
};

TEST(RunScript, StopEndsAWaitAndTheRun) {
  StopFlag stop{false};
  auto clock = std::make_shared<StoppingClock>(stop);
  auto console = std::make_unique<RecordingConsole>();
  RecordingConsole* lines = console.get();
  AdbClient adb(std::move(console), clock);
  RecordingReporter reporter(false);
  const RunOutcome outcome =
      RunScriptThread(adb, reporter, "延时(100000)\r\n模拟按键(3)\r\n", &stop);
  EXPECT_EQ(outcome.end, RunOutcome::End::kStopped);
  EXPECT_EQ(outcome.lineNumber, 1);
  EXPECT_LT(clock->paused_, 1000);
  EXPECT_TRUE(lines->Lines().empty());
  // No progress for the cut line, no thumbnail; the END line still closes the log.
  EXPECT_EQ(reporter.Events(), std::vector<Event>{Out("END：代码执行完毕")});
}

TEST(RunScript, StopBeforeALineRunsNothing) {
  StopFlag stop{true};
  RecordedClient client;
  RecordingReporter reporter(false);
  const RunOutcome outcome = RunScript(*client.adb, reporter, "模拟按键(3)", &stop);
  EXPECT_EQ(outcome.end, RunOutcome::End::kStopped);
  EXPECT_TRUE(client.Lines().empty());
  EXPECT_TRUE(reporter.Events().empty());
}

}  // namespace
}  // namespace lingqiao
