// The operations that act on the current device: input, apps, properties, files.
// Arguments are quoted so that each reaches adb, and the device's shell, as the one word
// intended; plain words stay as they are.
#include "device/adb_client.h"
#include "device/console_text.h"
#include "device/quoting.h"

namespace lingqiao {
namespace {

bool Contains(const std::string& text, const char* word) {
  return text.find(word) != std::string::npos;
}

}  // namespace

void AdbClient::Tap(std::string_view x, std::string_view y) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Connect();
  RunAdbCommand(DeviceHead(settings_.adbName) + " shell input tap " + QuoteCoordinate(x) + " " +
                QuoteCoordinate(y));
}

void AdbClient::Swipe(std::string_view x1, std::string_view y1, std::string_view x2,
                      std::string_view y2, int durationMs) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Connect();
  RunAdbCommand(DeviceHead(settings_.adbName) + " shell input swipe " + QuoteCoordinate(x1) + " " +
                QuoteCoordinate(y1) + " " + QuoteCoordinate(x2) + " " + QuoteCoordinate(y2) + " " +
                std::to_string(durationMs));
}

void AdbClient::KeyEvent(int keyCode) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  RunAdbCommand(DeviceHead(settings_.adbName) + " shell input keyevent " + std::to_string(keyCode));
}

void AdbClient::InputText(std::string_view text) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Connect();
  RunAdbCommand(DeviceHead(settings_.adbName) + " shell input text " + QuoteDeviceWord(text));
}

void AdbClient::InputTextByAdbKeyboard(std::string_view text) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Connect();
  // The single quotes of the line are the device's; only a quote inside the text needs more.
  RunAdbCommand(settings_.adbName + " shell am broadcast -a ADB_INPUT_TEXT --es msg " +
                QuoteForInterpreter("'" + EscapeInsideSingleQuotes(text) + "'"));
}

void AdbClient::RemountSystem() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  RunAdbCommand(DeviceHead(settings_.adbFileName) + " shell " +
                "su -c  'mount -o remount,rw -t yaffs2 /dev/block/mtdblock3 /system' ");
}

bool AdbClient::InstallApk(std::string_view path, std::string& errorText) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  // The path is the PC's: adb pushes the file and quotes the device's copy itself.
  const std::string out =
      RunAdbCommand(DeviceHead(settings_.adbName) + " install -r " + QuoteForInterpreter(path));
  if (Contains(out, "Success")) return true;
  errorText = out;
  return false;
}

bool AdbClient::ClearAppData(std::string_view package) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return Contains(RunAdbCommand(DeviceHead(settings_.adbFileName) + " shell pm clear " +
                                QuoteDeviceWord(package)),
                  "Success");
}

bool AdbClient::UninstallApp(std::string_view package) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return Contains(RunAdbCommand(DeviceHead(settings_.adbName) + " shell pm uninstall " +
                                QuoteDeviceWord(package)),
                  "Success");
}

bool AdbClient::PullFile(std::string_view remotePath, std::string_view localPath) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  // Both paths go to adb itself (the device's through its file service, not a shell).
  return Contains(RunAdbCommand(DeviceHead(settings_.adbFileName) + " pull " +
                                QuoteForInterpreter(remotePath) + " " +
                                QuoteForInterpreter(localPath)),
                  "bytes");
}

bool AdbClient::StartActivity(std::string_view package, std::string_view activity) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::string component = std::string(package) + "/" + std::string(activity);
  const std::string out = RunAdbCommand(DeviceHead("adb") + " shell am start -n " +
                                        QuoteDeviceWord(component));
  return Contains(RemoveLine(out, 1), "Starting");
}

std::string AdbClient::ListPackages() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string text =
      TrimConsoleLines(RunAdbCommand(DeviceHead(settings_.adbName) + " shell pm list packages"));
  const std::string word = "package:";
  for (size_t pos; (pos = text.find(word)) != std::string::npos;) text.erase(pos, word.size());
  return text;
}

std::string AdbClient::GetProp(std::string_view name) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return TrimConsoleLines(RunAdbCommand(DeviceHead("adb") + " shell getprop " +
                                        QuoteDeviceWord(name)));
}

std::string AdbClient::SetProp(std::string_view name, std::string_view value) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return TrimConsoleLines(RunAdbCommand(DeviceHead("adb") + " shell setprop " +
                                        QuoteDeviceWord(name) + " " + QuoteDeviceWord(value)));
}

std::string AdbClient::ListProcesses() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return TrimConsoleLines(RunAdbCommand("adb shell ps"));
}

}  // namespace lingqiao
