// The system's one way to the Android Debug Bridge: it turns each request into an adb
// command line, writes it into its hidden interpreter, waits a fixed pause and takes what
// has arrived. One lock keeps the operations of one client from overlapping; several
// clients (one per emulator) work side by side.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/clock.h"
#include "device/console.h"

namespace lingqiao {

class AdbClient {
 public:
  // The real interpreter and the real clock.
  AdbClient();
  // A given console and clock (recording console, counting clock).
  AdbClient(std::unique_ptr<Console> console, std::shared_ptr<Clock> clock);
  // A real interpreter whose pauses go through `clock`.
  explicit AdbClient(std::shared_ptr<Clock> clock);
  ~AdbClient();
  AdbClient(const AdbClient&) = delete;
  AdbClient& operator=(const AdbClient&) = delete;

  // Server and connection.
  bool StartServer(std::string_view adbPath);
  bool ConnectDevice();
  bool Connect(std::string& errorText);
  bool Connect();
  bool SetAdbDirectory(std::string_view folder);
  std::string GetAdbFileName() const;
  void SetAdbFileName(std::string_view name);
  std::string GetAdbPath() const;
  void SetDeviceAddress(std::string_view address);
  std::string GetDeviceAddress() const;
  std::string StartServerNoDaemon();
  bool SetServerPort(std::string_view port);
  std::string RunAdbCommand(std::string_view commandLine, std::optional<int> pauseMs = std::nullopt,
                            std::string* output = nullptr);

  // Device commands.
  void Tap(std::string_view x, std::string_view y);
  void Swipe(std::string_view x1, std::string_view y1, std::string_view x2, std::string_view y2,
             int durationMs);
  void KeyEvent(int keyCode);
  void InputText(std::string_view text);
  void InputTextByAdbKeyboard(std::string_view text);
  void RemountSystem();
  bool InstallApk(std::string_view path, std::string& errorText);
  bool ClearAppData(std::string_view package);
  bool UninstallApp(std::string_view package);
  bool PullFile(std::string_view remotePath, std::string_view localPath);
  bool StartActivity(std::string_view package, std::string_view activity);
  std::string ListPackages();
  std::string GetProp(std::string_view name);
  std::string SetProp(std::string_view name, std::string_view value);
  std::string ListProcesses();

  // Screen.
  std::string CaptureScreen(std::optional<int> timeoutMs = std::nullopt);
  std::string DumpUi(std::optional<int> timeoutMs = std::nullopt);
  bool TapText(std::string_view text);
  bool GetScreenSize(std::string& width, std::string& height);

  // Device list.
  bool ListDevices(std::vector<std::string>& devices, std::string& errorText);

  // The folder of this client's pulled files (with a trailing separator), made on first use
  // and removed with the client; empty before.
  std::string PullFolder() const;
  // 1 makes StartServerNoDaemon act; nothing in the system sets it.
  void SetNodaemonFlag(int flag);
  Clock& GetClock() { return *clock_; }

 private:
  struct Settings {
    std::string adbPath;
    std::string adbFileName;
    std::string adbName;
    int nodaemonFlag = 0;
    std::string deviceAddress;
  };

  std::string DeviceHead(const std::string& program) const;  // program + " -s " + address
  std::string EnsurePullFolder();
  // Deletes the local copy, asks for the device file, and waits until the copy is whole.
  std::string FetchDeviceFile(const std::string& makeLine, const std::string& remotePath,
                              const std::string& localName, std::optional<int> timeoutMs,
                              bool (*isWhole)(std::string_view));

  mutable std::recursive_mutex mutex_;
  std::shared_ptr<Clock> clock_;
  std::unique_ptr<Console> console_;
  Settings settings_;
  std::string pullFolder_;
};

}  // namespace lingqiao
