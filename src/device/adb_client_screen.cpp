// What the device shows: screenshots and UI dumps come back as pulled files, which are
// watched for in this client's own folder until they are whole.
#include "device/adb_client.h"
#include "device/adb_output.h"
#include "device/file_system.h"
#include "device/console_command.h"
#include "device/quoting.h"
#include "text/regex_object.h"
#include "text/text_helpers.h"

namespace lingqiao {
namespace {

constexpr int kDefaultTimeoutMs = 3000;
constexpr int kPollMs = 100;
constexpr char kDeviceShot[] = "/sdcard/jt.png";
constexpr char kDeviceDump[] = "/sdcard/ui.xml";

}  // namespace

std::string AdbClient::FetchDeviceFile(const std::string& makeLine, const std::string& remotePath,
                                       const std::string& localName, std::optional<int> timeoutMs,
                                       bool (*isWhole)(std::string_view)) {
  const std::string local = EnsurePullFolder() + localName;
  RunAdbCommand(makeLine);
  DeleteFileAt(local);
  clock_->Sleep(kPollMs);
  RunAdbCommand(DeviceHead(settings_.adbFileName) + " pull " + remotePath + " " +
                QuoteForInterpreter(local));
  const uint64_t start = clock_->TickCount();
  const uint64_t limit = static_cast<uint64_t>(timeoutMs.value_or(kDefaultTimeoutMs));
  // adb writes the copy as it receives it: a file that exists may still be partial, so it is
  // taken only once it is whole, and given up when it is not by the time-out.
  for (;;) {
    if (clock_->TickCount() - start > limit) return {};
    if (FileExists(local)) {
      std::string bytes = ReadWholeFile(local);
      if (isWhole(bytes)) {
        DeleteFileAt(local);
        return bytes;
      }
    }
    clock_->Sleep(kPollMs);
  }
}

std::string AdbClient::CaptureScreen(std::optional<int> timeoutMs) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return FetchDeviceFile(DeviceHead(settings_.adbName) + " shell screencap -p " + kDeviceShot,
                         kDeviceShot, "jt.png", timeoutMs, IsWholePng);
}

std::string AdbClient::DumpUi(std::optional<int> timeoutMs) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return FetchDeviceFile(DeviceHead(settings_.adbName) + " shell uiautomator dump " + kDeviceDump,
                         kDeviceDump, "ui.xml", timeoutMs, IsWholeUiDump);
}

bool AdbClient::TapText(std::string_view text) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string pattern = TextBoundsPattern(text);
  const std::string dump = Utf8ToAnsi(DumpUi());
  RegexObject regex;
  regex.Execute(pattern, dump);
  if (regex.MatchCount() == 0) return false;
  const std::string bounds = regex.SubMatchText(1, 1);
  if (bounds.empty()) return false;
  regex.Execute(kBoundsPattern, bounds);
  if (regex.SubMatchCount() != 4) return false;
  const TapPoint p = CentreOfBounds(TextToInt(regex.SubMatchText(1, 1)), TextToInt(regex.SubMatchText(1, 2)),
                                    TextToInt(regex.SubMatchText(1, 3)), TextToInt(regex.SubMatchText(1, 4)));
  Tap(std::to_string(p.x), std::to_string(p.y));
  return true;
}

bool AdbClient::GetScreenSize(std::string& width, std::string& height) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return ParseScreenSize(RunAdbCommand(DeviceHead(settings_.adbName) + " shell wm size"), width,
                         height);
}

bool AdbClient::ListDevices(std::vector<std::string>& devices, std::string& errorText) {
  std::string program;
  {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    program = settings_.adbFileName;
  }
  // A fresh interpreter of its own, in the program's current folder, not the console's.
  const std::string output = RunCommandOnce(program + " devices");
  if (output.find("127.0.0.1") == std::string::npos) {
    errorText = output;
    return false;
  }
  RegexObject regex;
  regex.Execute("127.0.0.1:(.*?)device", output);
  for (int i = 1; i <= regex.MatchCount(); ++i) devices.push_back("127.0.0.1:" + regex.SubMatchText(i, 1));
  return true;
}

}  // namespace lingqiao
