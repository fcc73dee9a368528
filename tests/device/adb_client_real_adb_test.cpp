// Debian's adb through the console host: the server starts and a closed port never connects.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "device/adb_client.h"
#include "device/console_command.h"
#include "device/file_system.h"
#include "unused_port.h"

namespace lingqiao {
namespace {

// A private adb server: its own port and HOME (it writes ~/.android/adbkey there), no USB or
// mDNS scans, stopped at the end.
class PrivateAdbServer : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::filesystem::temp_directory_path() / ("lingqiao-adb-home-" + std::to_string(getpid()));
    std::filesystem::create_directories(home_);
    setenv("HOME", home_.c_str(), 1);
    setenv("ANDROID_ADB_SERVER_PORT", std::to_string(UnusedPort()).c_str(), 1);
    setenv("ADB_MDNS", "0", 1);
    setenv("ADB_USB", "0", 1);
    setenv("ADB_EMU", "0", 1);
    adbPath_ = ProgramFolder() + "/Orvane/adb";
  }
  void TearDown() override {
    RunCommandOnce(adbPath_ + " kill-server");
    std::filesystem::remove_all(home_);
  }
  std::filesystem::path home_;
  std::string adbPath_;
};

TEST_F(PrivateAdbServer, StartServerFindsTheVersionAndAClosedPortNeverConnects) {
  if (!FileExists(adbPath_)) GTEST_SKIP() << "no adb at " << adbPath_;
  AdbClient adb;
  EXPECT_TRUE(adb.StartServer(adbPath_));
  adb.SetDeviceAddress("127.0.0.1:" + std::to_string(UnusedPort()));
  std::string error;
  EXPECT_FALSE(adb.Connect(error));
  EXPECT_NE(error.find("failed to connect"), std::string::npos) << error;
  EXPECT_FALSE(adb.ConnectDevice());
}

}  // namespace
}  // namespace lingqiao
