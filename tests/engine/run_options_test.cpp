#include "run_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/startup.h"

namespace lingqiao {
namespace {

TEST(ParseRunOptions, AcceptsEveryOption) {
  const std::string adb = std::string("/opt/x/") + std::string(AdbProgramFileName());
  RunOptions options;
  std::string error;
  ASSERT_TRUE(ParseRunOptions({"--device", "127.0.0.1:6555", "--device=127.0.0.1:21503",
                               "--adb", adb, "--screenshot=shot.png", "--dry-run", "a.Wexil"},
                              options, error))
      << error;
  EXPECT_EQ(options.devices, (std::vector<std::string>{"127.0.0.1:6555", "127.0.0.1:21503"}));
  EXPECT_EQ(options.adbPath, adb);
  EXPECT_EQ(options.screenshot, "shot.png");
  EXPECT_TRUE(options.dryRun);
  EXPECT_EQ(options.script, "a.Wexil");
}

TEST(ParseRunOptions, ScriptAfterDoubleDashMayStartWithADash) {
  RunOptions options;
  std::string error;
  ASSERT_TRUE(ParseRunOptions({"--", "-odd.Wexil"}, options, error));
  EXPECT_EQ(options.script, "-odd.Wexil");
  EXPECT_TRUE(options.devices.empty());
}

TEST(ParseRunOptions, HelpNeedsNoScript) {
  RunOptions options;
  std::string error;
  ASSERT_TRUE(ParseRunOptions({"--help"}, options, error));
  EXPECT_TRUE(options.help);
}

TEST(ParseRunOptions, RefusesBadCommandLines) {
  const std::vector<std::vector<std::string>> cases = {
      {},                                        // no script
      {"a.Wexil", "b.Wexil"},                    // two scripts
      {"--verbose", "a.Wexil"},                  // unknown option
      {"a.Wexil", "--device"},                   // value missing
      {"--device=", "a.Wexil"},                  // empty address
      {"--device", "1.2.3.4:5", "--device", "1.2.3.4:5", "a.Wexil"},  // the same emulator twice
      {"--adb", "/usr/bin/adb-29", "a.Wexil"},   // not adb's file name
      {"--adb", "/usr/bin/", "a.Wexil"},
      {"--screenshot", "", "a.Wexil"},
  };
  for (const auto& args : cases) {
    RunOptions options;
    std::string error;
    std::string shown;
    for (const auto& a : args) shown += "[" + a + "]";
    EXPECT_FALSE(ParseRunOptions(args, options, error)) << shown;
    EXPECT_FALSE(error.empty()) << shown;
  }
}

TEST(ScreenshotPathFor, SeveralDevicesGetTheAddressInTheStem) {
  struct Case {
    const char* file;
    bool several;
    const char* path;
  } cases[] = {
      {"shot.png", false, "shot.png"},
      {"shot.png", true, "shot-127.0.0.1_6555.png"},
      {"out.d/shot", true, "out.d/shot-127.0.0.1_6555"},
      {"out/shot.tar.png", true, "out/shot.tar-127.0.0.1_6555.png"},
      {"out/.png", true, "out/.png-127.0.0.1_6555"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScreenshotPathFor(c.file, "127.0.0.1:6555", c.several), c.path) << c.file;
  }
}

}  // namespace
}  // namespace lingqiao
