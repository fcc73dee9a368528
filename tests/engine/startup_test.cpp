#include "engine/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/reporter.h"
#include "recorded_client.h"

namespace lingqiao {
namespace {

using testing::RecordedClient;
using Kind = RecordingReporter::Kind;
using Event = RecordingReporter::Event;

TEST(StartAdb, AnAdbThatCannotStartGivesExactlyTwoPairsOfLines) {
  RecordedClient client;  // answers nothing: no version line arrives
  RecordingReporter reporter(false);
  int attempts = 0;
  EXPECT_FALSE(StartupAdbSteps(*client.adb, reporter, DefaultAdbPath(), attempts));
  EXPECT_EQ(reporter.OutputLines(), (std::vector<std::string>{"正在开启ADB服务", "ADB开启失败",
                                                              "正在开启ADB服务", "ADB开启失败"}));
  EXPECT_EQ(attempts, 2);
  // Nothing was tried towards the device.
  for (const std::string& line : client.Lines()) {
    EXPECT_EQ(line.find(" connect "), std::string::npos) << line;
  }
  // The counter is spent: a later call says nothing more.
  EXPECT_FALSE(StartAdb(*client.adb, reporter, DefaultAdbPath(), attempts));
  EXPECT_EQ(reporter.OutputLines().size(), 4u);
}

TEST(StartAdb, SecondAttemptSucceeds) {
  int versions = 0;
  RecordedClient client([&versions](const std::string& line) {
    if (line.find(" version") != std::string::npos && ++versions == 2) {
      return testing::AnswerVersion(line);
    }
    return std::string();
  });
  RecordingReporter reporter(false);
  int attempts = 0;
  EXPECT_TRUE(StartAdb(*client.adb, reporter, DefaultAdbPath(), attempts));
  EXPECT_EQ(reporter.OutputLines(),
            (std::vector<std::string>{"正在开启ADB服务", "ADB开启失败", "正在开启ADB服务",
                                      "开启ADB服务成功，开始连接"}));
  EXPECT_EQ(attempts, 1);
}

TEST(StartupAdbSteps, StartsConnectsAndShowsTheScreen) {
  RecordedClient client([](const std::string& line) {
    if (line.find(" connect ") != std::string::npos) return std::string("already connected to 127.0.0.1:6555\r\n");
    return testing::AnswerVersion(line);
  });
  RecordingReporter reporter(false);
  int attempts = 0;
  EXPECT_TRUE(StartupAdbSteps(*client.adb, reporter, DefaultAdbPath(), attempts));
  EXPECT_EQ(reporter.Events(),
            (std::vector<Event>{{Kind::kOutput, "正在开启ADB服务"},
                                {Kind::kOutput, "开启ADB服务成功，开始连接"},
                                {Kind::kOutput, "连接成功！"},
                                {Kind::kThumbnail, ""},
                                {Kind::kHint, "连接成功：127.0.0.1:6555"}}));
}

TEST(ConnectToEmulator, FailureNamesTheAddress) {
  struct Case {
    const char* address;
    const char* line;
  } cases[] = {
      {"127.0.0.1:21503", "连接模拟器端口：127.0.0.1:21503 失败"},
      {"", "连接模拟器端口： 失败"},
  };
  for (const Case& c : cases) {
    RecordedClient client;
    RecordingReporter reporter(false);
    EXPECT_FALSE(ConnectToEmulator(*client.adb, reporter, c.address));
    EXPECT_EQ(reporter.Events(), (std::vector<Event>{{Kind::kOutput, c.line}}));
    // The client's own ten attempts, and nothing else.
    const auto lines = client.Lines();
    EXPECT_EQ(lines.size(), 10u);
    for (const std::string& line : lines) EXPECT_EQ(line.rfind("adb connect ", 0), 0u) << line;
  }
}

}  // namespace
}  // namespace lingqiao
