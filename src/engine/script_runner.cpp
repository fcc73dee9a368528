#include "engine/script_runner.h"

#include <vector>

#include "device/adb_client.h"
#include "engine/reporter.h"
#include "text/text_helpers.h"

namespace lingqiao {
namespace {

bool Stopped(const StopFlag* stop) { return stop != nullptr && stop->load(); }

}  // namespace

RunOutcome RunScript(AdbClient& adb, Reporter& reporter, std::string_view scriptText,
                     const StopFlag* stop) {
  const std::vector<std::string> lines = SplitText(scriptText, "\r\n");
  for (size_t i = 0; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    if (Stopped(stop)) return {RunOutcome::End::kStopped, number, lines[i]};
    std::string callFormat;
    const bool ok = ExecuteScriptLine(adb, lines[i], callFormat, false, stop);
    // A stop inside a wait cuts the line short; it neither succeeded nor failed.
    if (Stopped(stop)) return {RunOutcome::End::kStopped, number, lines[i]};
    if (!ok) {
      reporter.AppendOutput("**错误：" + std::to_string(number) + "行代码运行出错");
      return {RunOutcome::End::kFailed, number, lines[i]};
    }
    reporter.ShowRunState("正在执行第：" + std::to_string(number) + "行代码");
  }
  reporter.ShowRunState("代码运行完成");
  return {};
}

RunOutcome RunScriptThread(AdbClient& adb, Reporter& reporter, std::string_view scriptText,
                           const StopFlag* stop) {
  RunOutcome outcome = RunScript(adb, reporter, scriptText, stop);
  reporter.AppendOutput("END：代码执行完毕");
  if (!Stopped(stop)) reporter.RefreshThumbnail(adb);
  return outcome;
}

ScriptRun& ScriptRun::operator=(ScriptRun&& other) {
  if (this != &other) {
    if (thread_.joinable()) thread_.detach();
    thread_ = std::move(other.thread_);
    outcome_ = std::move(other.outcome_);
  }
  return *this;
}

ScriptRun::~ScriptRun() {
  if (thread_.joinable()) thread_.detach();
}

RunOutcome ScriptRun::Join() {
  if (thread_.joinable()) thread_.join();
  return outcome_ ? *outcome_ : RunOutcome{};
}

ScriptRun RunScriptCommand(AdbClient& adb, Reporter& reporter, std::string scriptText,
                           const StopFlag* stop) {
  reporter.AppendOutput("START：开始执行代码");
  ScriptRun run;
  run.outcome_ = std::make_shared<RunOutcome>();
  run.thread_ = std::thread([&adb, &reporter, stop, text = std::move(scriptText),
                             outcome = run.outcome_] {
    // Nothing may escape a thread body; a run that threw counts as failed where it stood.
    try {
      *outcome = RunScriptThread(adb, reporter, text, stop);
    } catch (...) {
      outcome->end = RunOutcome::End::kFailed;
    }
  });
  return run;
}

}  // namespace lingqiao
