// How the engine tells the user what happens: the output log, the hint panel, the run-state
// panel and the screen thumbnail. The main window shows them in its controls, lingqiao-run on
// a terminal, the tests keep them. Texts are GBK and come without the panels' prefixes.
// Worker threads call these; each call is one complete line or panel write.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace lingqiao {

class AdbClient;

class Reporter {
 public:
  virtual ~Reporter() = default;
  // One line added at the end of the output log.
  virtual void AppendOutput(const std::string& line) = 0;
  // The hint panel (shown after "软件提示：").
  virtual void ShowHint(const std::string& text) = 0;
  // The run-state panel (shown after "运行状态：").
  virtual void ShowRunState(const std::string& text) = 0;
  // Captures the screen with the client's CaptureScreen and shows or keeps the bytes; empty
  // bytes clear the picture.
  virtual void RefreshThumbnail(AdbClient& adb) = 0;
};

// Keeps every report in the order it came, for tests.
class RecordingReporter : public Reporter {
 public:
  enum class Kind { kOutput, kHint, kRunState, kThumbnail };
  struct Event {
    Kind kind;
    std::string text;  // for kThumbnail: the captured bytes
    bool operator==(const Event&) const = default;
  };

  // Without `capture`, a thumbnail refresh is recorded but no capture is made.
  explicit RecordingReporter(bool capture = true) : capture_(capture) {}

  void AppendOutput(const std::string& line) override;
  void ShowHint(const std::string& text) override;
  void ShowRunState(const std::string& text) override;
  void RefreshThumbnail(AdbClient& adb) override;

  std::vector<Event> Events() const;
  std::vector<std::string> OutputLines() const;
  std::vector<std::string> RunStates() const;
  std::vector<std::string> Hints() const;
  int ThumbnailRefreshes() const;

 private:
  void Add(Kind kind, std::string text);
  std::vector<std::string> TextsOf(Kind kind) const;

  bool capture_;
  mutable std::mutex mutex_;
  std::vector<Event> events_;
};

}  // namespace lingqiao
