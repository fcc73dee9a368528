#include "device/adb_client.h"
#include "engine/reporter.h"

namespace lingqiao {

void RecordingReporter::AppendOutput(const std::string& line) { Add(Kind::kOutput, line); }
void RecordingReporter::ShowHint(const std::string& text) { Add(Kind::kHint, text); }
void RecordingReporter::ShowRunState(const std::string& text) { Add(Kind::kRunState, text); }

void RecordingReporter::RefreshThumbnail(AdbClient& adb) {
  Add(Kind::kThumbnail, capture_ ? adb.CaptureScreen() : std::string());
}

void RecordingReporter::Add(Kind kind, std::string text) {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.push_back({kind, std::move(text)});
}

std::vector<RecordingReporter::Event> RecordingReporter::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

std::vector<std::string> RecordingReporter::TextsOf(Kind kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> texts;
  for (const Event& e : events_) {
    if (e.kind == kind) texts.push_back(e.text);
  }
  return texts;
}

std::vector<std::string> RecordingReporter::OutputLines() const { return TextsOf(Kind::kOutput); }
std::vector<std::string> RecordingReporter::RunStates() const { return TextsOf(Kind::kRunState); }
std::vector<std::string> RecordingReporter::Hints() const { return TextsOf(Kind::kHint); }
int RecordingReporter::ThumbnailRefreshes() const {
  return static_cast<int>(TextsOf(Kind::kThumbnail).size());
}

}  // namespace lingqiao
