#include "device/recording_console.h"

namespace lingqiao {

bool RecordingConsole::Write(std::string_view line) {
  std::function<void(const std::string&)> observer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_) return false;
    lines_.emplace_back(line);
    if (answer_) pending_ += answer_(lines_.back());
    observer = observer_;
  }
  if (observer) observer(std::string(line));
  return true;
}

std::string RecordingConsole::Read(int) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!running_) return {};
  std::string out;
  out.swap(pending_);
  return out;
}

bool RecordingConsole::IsRunning() {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_;
}

void RecordingConsole::SetAnswerer(Answerer answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  answer_ = std::move(answer);
}

void RecordingConsole::SetObserver(std::function<void(const std::string&)> observer) {
  std::lock_guard<std::mutex> lock(mutex_);
  observer_ = std::move(observer);
}

void RecordingConsole::SetRunning(bool running) {
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = running;
}

void RecordingConsole::AddPendingOutput(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  pending_ += text;
}

std::vector<std::string> RecordingConsole::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

void RecordingConsole::ClearLines() {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.clear();
}

}  // namespace lingqiao
