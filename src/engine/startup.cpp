#include "engine/startup.h"

#include "device/adb_client.h"
#include "device/file_system.h"
#include "engine/reporter.h"

namespace lingqiao {

std::string DefaultAdbPath() {
  const char sep = PathSeparator();
  return ProgramFolder() + sep + "Orvane" + sep + std::string(AdbProgramFileName());
}

bool StartAdb(AdbClient& adb, Reporter& reporter, std::string_view adbPath, int& attempts) {
  while (attempts <= 1) {
    reporter.AppendOutput("正在开启ADB服务");
    if (adb.StartServer(adbPath)) {
      reporter.AppendOutput("开启ADB服务成功，开始连接");
      return true;
    }
    reporter.AppendOutput("ADB开启失败");
    ++attempts;
  }
  return false;
}

bool ConnectToEmulator(AdbClient& adb, Reporter& reporter, std::string_view address) {
  adb.SetDeviceAddress(address);
  if (adb.ConnectDevice()) {
    reporter.AppendOutput("连接成功！");
    reporter.RefreshThumbnail(adb);
    reporter.ShowHint("连接成功：" + adb.GetDeviceAddress());
    return true;
  }
  reporter.AppendOutput("连接模拟器端口：" + adb.GetDeviceAddress() + " 失败");
  return false;
}

bool StartupAdbSteps(AdbClient& adb, Reporter& reporter, std::string_view adbPath,
                     int& attempts, std::string_view address) {
  if (!StartAdb(adb, reporter, adbPath, attempts)) return false;
  return ConnectToEmulator(adb, reporter, address);
}

}  // namespace lingqiao
