// Running a whole script: split at CR LF, each line through ExecuteScriptLine in execute
// mode, stop at the first failing line, report progress. One run is one worker thread; runs
// on different clients go side by side.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "engine/script_line.h"

namespace lingqiao {

class AdbClient;
class Reporter;

struct RunOutcome {
  enum class End { kCompleted, kFailed, kStopped };
  End end = End::kCompleted;
  // The failing line, or the first line not run after a stop (1-based); 0 when completed.
  int lineNumber = 0;
  std::string lineText;  // that line, GBK
};

// Runs the lines and writes the progress, error and completion texts. A stop ends the run
// before the next line (or inside a wait) without any further text.
RunOutcome RunScript(AdbClient& adb, Reporter& reporter, std::string_view scriptText,
                     const StopFlag* stop = nullptr);

// The body of the run thread: RunScript, the END line, then the thumbnail refresh (left out
// after a stop, which should end the run at once).
RunOutcome RunScriptThread(AdbClient& adb, Reporter& reporter, std::string_view scriptText,
                           const StopFlag* stop = nullptr);

// A run under way. The main window lets it go (nothing waits for a run); the headless runner
// and the tests join it. Destroying a run that was not joined lets the thread go on.
class ScriptRun {
 public:
  ScriptRun() = default;
  ScriptRun(ScriptRun&&) = default;
  ScriptRun& operator=(ScriptRun&& other);
  ~ScriptRun();

  bool Joinable() const { return thread_.joinable(); }
  // Waits for the run's end and gives its outcome.
  RunOutcome Join();

 private:
  friend ScriptRun RunScriptCommand(AdbClient&, Reporter&, std::string, const StopFlag*);
  std::thread thread_;
  std::shared_ptr<RunOutcome> outcome_;
};

// The run command: the START line, then a worker thread running RunScriptThread over the
// text as it is now. The client and the reporter must outlive the thread.
ScriptRun RunScriptCommand(AdbClient& adb, Reporter& reporter, std::string scriptText,
                           const StopFlag* stop = nullptr);

}  // namespace lingqiao
