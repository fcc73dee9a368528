#include "headless_run.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/adb_client.h"
#include "device/clock.h"
#include "device/file_system.h"
#include "device/recording_console.h"
#include "engine/reporter.h"
#include "engine/script_runner.h"
#include "engine/startup.h"
#include "program_host.h"
#include "run_display.h"
#include "script_file.h"

namespace lingqiao {
namespace {

// How long a stop waits for the device threads to come out of the adb operation they are in
// (a capture or a connection can take seconds) before the process ends without them.
constexpr auto kStopGrace = std::chrono::milliseconds(300);

class DeviceReporter : public Reporter {
 public:
  DeviceReporter(RunDisplay& display, int device) : display_(display), device_(device) {}

  void AppendOutput(const std::string& line) override { display_.OutputLine(device_, line); }
  void ShowHint(const std::string& text) override { display_.Hint(device_, text); }
  void ShowRunState(const std::string& text) override { display_.RunState(device_, text); }
  void RefreshThumbnail(AdbClient& adb) override {
    std::string picture = adb.CaptureScreen();
    std::lock_guard<std::mutex> lock(mutex_);
    picture_ = std::move(picture);
  }
  std::string Picture() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return picture_;
  }

 private:
  RunDisplay& display_;
  const int device_;
  mutable std::mutex mutex_;
  std::string picture_;
};

struct Session {
  enum class State { kPending, kAdbFailed, kNotConnected, kRan, kStopped };

  Session(RunDisplay& display, int index, std::string addr)
      : address(std::move(addr)), reporter(display, index) {}

  std::string address;
  DeviceReporter reporter;
  std::unique_ptr<AdbClient> adb;
  int startAttempts = 0;  // each client its own, as each main window has its own
  State state = State::kPending;
  RunOutcome outcome;
};

// What the device threads share with the main thread; kept alive by every thread, so a
// thread let go after a stop never touches freed memory.
struct Progress {
  std::mutex mutex;
  std::condition_variable changed;
  int running = 0;
};

// A client over the recording console and the clock that does not wait. The server start
// only sets adb's names here: the console runs nothing, and its lines are not shown, since a
// dry run starts no server.
std::unique_ptr<AdbClient> MakeDryRunClient(const std::string& adbPath, const std::string& address,
                                            RunDisplay& display, int device) {
  auto console = std::make_unique<RecordingConsole>();
  RecordingConsole* lines = console.get();
  auto adb = std::make_unique<AdbClient>(std::move(console), std::make_shared<CountingClock>(false));
  adb->StartServer(adbPath);
  adb->SetDeviceAddress(address);
  lines->ClearLines();
  lines->SetObserver([&display, device](const std::string& line) { display.ConsoleLine(device, line); });
  return adb;
}

void RunDevice(Session& session, const std::string& script, const RunOptions& options,
               bool several, StopFlag& stop, RunDisplay& display) {
  if (!options.dryRun && !ConnectToEmulator(*session.adb, session.reporter, session.address)) {
    session.state = Session::State::kNotConnected;
    return;
  }
  if (stop.load()) {
    session.state = Session::State::kStopped;
    return;
  }
  ScriptRun run = RunScriptCommand(*session.adb, session.reporter, script, &stop);
  session.outcome = run.Join();
  if (session.outcome.end == RunOutcome::End::kStopped) {
    session.state = Session::State::kStopped;
    return;
  }
  session.state = Session::State::kRan;
  if (options.screenshot.empty()) return;
  const std::string path = ScreenshotPathFor(options.screenshot, session.address, several);
  const std::string picture = session.reporter.Picture();
  if (picture.empty()) {
    display.Warning("警告：" + session.address + " 的截图为空，未写入 " + path);
  } else if (!WriteWholeFile(path, picture)) {
    display.Warning("警告：无法写入截图文件 " + path);
  }
}

void TellAboutScript(const PreparedScript& script, RunDisplay& display) {
  if (script.convertedFromUtf8) {
    display.Warning(
        "注意：脚本文件是 UTF-8 编码，已先转换为 GBK 再执行（脚本文件本应是 GBK；按 GBK "
        "读取时命令名都对不上，每一行都会无声通过）。");
  } else if (script.hadByteOrderMark) {
    display.Warning("注意：已去掉脚本文件开头的 UTF-8 字节顺序标记。");
  }
  if (script.loneLineFeeds > 0 && !script.hasCrLf) {
    display.Warning(
        "警告：脚本文件没有 CR LF 行尾，只用 LF 换行。与主窗口一样，整个文件当作一行执行，"
        "只有其中第一条命令会运行。");
  } else if (script.loneLineFeeds > 0) {
    display.Warning("警告：脚本文件有 " + std::to_string(script.loneLineFeeds) +
                    " 处只用 LF 换行：这些行与下一行连成一行执行，只有其中第一条命令会运行。");
  }
}

int Summarize(const std::vector<std::shared_ptr<Session>>& sessions, RunDisplay& display) {
  int exitCode = 0;
  std::vector<std::string> notes;
  for (const auto& s : sessions) {
    switch (s->state) {
      case Session::State::kAdbFailed:
        exitCode = 2;
        notes.push_back(s->address + "：ADB服务未能开启，未运行");
        break;
      case Session::State::kNotConnected:
        if (exitCode == 0) exitCode = 1;
        notes.push_back(s->address + "：连接失败，未运行");
        break;
      case Session::State::kRan:
        if (s->outcome.end == RunOutcome::End::kFailed) {
          if (exitCode == 0) exitCode = 1;
          notes.push_back(s->address + "：第" + std::to_string(s->outcome.lineNumber) +
                          "行代码运行出错：" + s->outcome.lineText);
        }
        break;
      case Session::State::kPending:
      case Session::State::kStopped:
        break;
    }
  }
  if (!notes.empty()) {
    std::string text = "运行小结：";
    for (const std::string& note : notes) text += "\n  " + note;
    display.Warning(text);
  }
  return exitCode;
}

void SummarizeStop(const std::vector<std::shared_ptr<Session>>& sessions, RunDisplay& display) {
  std::string text = "已中断（Ctrl-C）：所有运行已结束，ADB服务仍在运行。";
  for (const auto& s : sessions) {
    if (s->state == Session::State::kStopped && s->outcome.lineNumber > 0) {
      text += "\n  " + s->address + "：停在第" + std::to_string(s->outcome.lineNumber) +
              "行：" + s->outcome.lineText;
    } else if (s->state == Session::State::kPending || s->state == Session::State::kStopped) {
      text += "\n  " + s->address + "：未运行完";
    }
  }
  display.Warning(text);
}

}  // namespace

HeadlessResult RunHeadless(const RunOptions& options, TextSink& sink, StopFlag& stop) {
  std::vector<std::string> addresses = options.devices;
  if (addresses.empty()) addresses.emplace_back(kDefaultEmulatorAddress);
  const bool several = addresses.size() > 1;
  auto display = std::make_shared<RunDisplay>(sink, addresses);

  if (!IsReadableFile(options.script)) {
    display->Warning("错误：无法读取脚本文件 " + options.script);
    return {2, false};
  }
  const PreparedScript script = PrepareScript(ReadWholeFile(options.script));
  TellAboutScript(script, *display);
  const std::string adbPath =
      options.adbPath.empty() ? DefaultAdbPath() : AbsolutePath(options.adbPath);

  std::vector<std::shared_ptr<Session>> sessions;
  for (size_t i = 0; i < addresses.size(); ++i) {
    auto session = std::make_shared<Session>(*display, static_cast<int>(i), addresses[i]);
    session->adb = options.dryRun
                       ? MakeDryRunClient(adbPath, addresses[i], *display, static_cast<int>(i))
                       : std::make_unique<AdbClient>();
    sessions.push_back(std::move(session));
  }

  // One server start after another: starts that overlap race for the server's port.
  if (!options.dryRun) {
    for (const auto& s : sessions) {
      if (stop.load()) break;
      if (!StartAdb(*s->adb, s->reporter, adbPath, s->startAttempts)) {
        s->state = Session::State::kAdbFailed;
      }
    }
    if (stop.load()) {
      SummarizeStop(sessions, *display);
      return {130, false};
    }
  }

  auto progress = std::make_shared<Progress>();
  auto text = std::make_shared<const std::string>(script.text);
  std::vector<std::thread> threads;
  for (const auto& s : sessions) {
    if (s->state != Session::State::kPending) continue;
    {
      std::lock_guard<std::mutex> lock(progress->mutex);
      ++progress->running;
    }
    threads.emplace_back([s, text, progress, display, options, several, &stop] {
      try {
        RunDevice(*s, *text, options, several, stop, *display);
      } catch (...) {
        s->state = Session::State::kRan;
        s->outcome.end = RunOutcome::End::kFailed;
      }
      std::lock_guard<std::mutex> lock(progress->mutex);
      --progress->running;
      progress->changed.notify_all();
    });
  }

  std::unique_lock<std::mutex> lock(progress->mutex);
  while (progress->running > 0 && !stop.load()) {
    progress->changed.wait_for(lock, std::chrono::milliseconds(50));
  }
  if (stop.load()) {
    const bool ended =
        progress->changed.wait_for(lock, kStopGrace, [&] { return progress->running == 0; });
    lock.unlock();
    if (!ended) {
      for (std::thread& t : threads) t.detach();
      display->Warning("已中断（Ctrl-C）：所有运行已结束，ADB服务仍在运行。");
      return {130, true};
    }
    for (std::thread& t : threads) t.join();
    SummarizeStop(sessions, *display);
    return {130, false};
  }
  lock.unlock();
  for (std::thread& t : threads) t.join();
  return {Summarize(sessions, *display), false};
}

}  // namespace lingqiao
