// The adb steps of the program's start, shared by the main window and lingqiao-run: two
// attempts at most to start the adb server, then the connection to an emulator.
#pragma once

#include <string>
#include <string_view>

namespace lingqiao {

class AdbClient;
class Reporter;

// The address the start-up connects to: the first emulator of the table (天天模拟器).
inline constexpr std::string_view kDefaultEmulatorAddress = "127.0.0.1:6555";

// adb's file name on this platform: "adb.exe" on Windows, "adb" elsewhere.
std::string_view AdbProgramFileName();
// The adb kept beside the program: its folder + the separator + "Orvane" + the separator +
// AdbProgramFileName().
std::string DefaultAdbPath();

// Starts the adb server through the client while `attempts` (failed starts so far) allows:
// each attempt reports "正在开启ADB服务", a failure "ADB开启失败" and counts one more; the
// second failure ends the attempts without a further word. True after
// "开启ADB服务成功，开始连接". The counter belongs to the caller (one per client), so a
// later call after two failures does nothing and returns false.
bool StartAdb(AdbClient& adb, Reporter& reporter, std::string_view adbPath, int& attempts);

// Sets the address, connects (the client makes its own repeated attempts) and reports
// "连接成功！", the thumbnail and "连接成功：" + address as the hint; or
// "连接模拟器端口：" + address + " 失败".
bool ConnectToEmulator(AdbClient& adb, Reporter& reporter, std::string_view address);

// The start-up thread's adb steps: StartAdb, and after a successful start the connection to
// `address`.
bool StartupAdbSteps(AdbClient& adb, Reporter& reporter, std::string_view adbPath,
                     int& attempts, std::string_view address = kDefaultEmulatorAddress);

}  // namespace lingqiao
