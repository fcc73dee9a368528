// A console that runs nothing: it keeps every line written and answers from a table, for
// tests, benchmarks and the runner's dry run.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "device/console.h"

namespace lingqiao {

class RecordingConsole : public Console {
 public:
  // Gives the output that a written line produces (appended to what Read returns next).
  using Answerer = std::function<std::string(const std::string& line)>;

  RecordingConsole() = default;
  explicit RecordingConsole(Answerer answer) : answer_(std::move(answer)) {}

  bool Write(std::string_view line) override;
  std::string Read(int pauseMs = 0) override;
  bool IsRunning() override;

  void SetAnswerer(Answerer answer);
  // Called with each line as it is written (the dry run prints them).
  void SetObserver(std::function<void(const std::string&)> observer);
  void SetRunning(bool running);
  // Output to be found by the next Read, as if it arrived late.
  void AddPendingOutput(const std::string& text);

  std::vector<std::string> Lines() const;
  void ClearLines();

 private:
  mutable std::mutex mutex_;
  Answerer answer_;
  std::function<void(const std::string&)> observer_;
  std::vector<std::string> lines_;
  std::string pending_;
  bool running_ = true;
};

}  // namespace lingqiao
