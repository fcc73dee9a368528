// Script lines and whole runs through Debian's adb against simulated emulators, each effect
// read back from the simulator's journal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <thread>

#include "device/adb_client.h"
#include "device/file_system.h"
#include "engine/reporter.h"
#include "engine/script_line.h"
#include "engine/script_runner.h"
#include "simulated_emulators.h"
#include "text/encoding.h"

namespace lingqiao {
namespace {

using Lines = std::vector<std::string>;

std::string Effect(const SimulatedEmulators& sim, const std::string& what) {
  return "{\"port\":" + std::to_string(sim.Ports().at(0)) + "," + what + "}";
}

// A client connected to the first simulated device.
std::unique_ptr<AdbClient> Connected(const SimulatedEmulators& sim, size_t device = 0) {
  auto adb = std::make_unique<AdbClient>();
  EXPECT_TRUE(adb->StartServer(SimulatedEmulators::AdbPath()));
  adb->SetDeviceAddress(sim.Address(device));
  EXPECT_TRUE(adb->ConnectDevice());
  return adb;
}

// The effects a script line leaves on the first device.
Lines EffectsOfLine(const SimulatedEmulators& sim, AdbClient& adb, const std::string& line,
                    bool expectEffect = true, bool expectResult = true) {
  const size_t before = sim.Effects(0).size();
  std::string callFormat;
  EXPECT_EQ(ExecuteScriptLine(adb, line, callFormat, false), expectResult) << GbkToUtf8(line);
  const Lines all = expectEffect ? sim.EffectsAfter(0, before) : sim.EffectsAfter(0, before, 1500);
  return Lines(all.begin() + static_cast<long>(before), all.end());
}

// The tap point of the first node with this text in a UI dump: half the size back from the
// right and bottom edges.
std::string CentreOf(const std::string& dumpUtf8, const std::string& textUtf8) {
  const size_t node = dumpUtf8.find("text=\"" + textUtf8 + "\"");
  const size_t bounds = dumpUtf8.find("bounds=\"", node);
  if (node == std::string::npos || bounds == std::string::npos) return "<not on screen>";
  int l, t, r, b;
  if (std::sscanf(dumpUtf8.c_str() + bounds, "bounds=\"[%d,%d][%d,%d]\"", &l, &t, &r, &b) != 4) return "<bad bounds>";
  return "[" + std::to_string(r - (r - l) / 2) + "," + std::to_string(b - (b - t) / 2) + "]";
}

TEST(EndToEnd, ConnectsFirstWithConnectedThenAlready) {
  SimulatedEmulators sim(1);
  ASSERT_TRUE(sim.Ready());
  AdbClient adb;
  ASSERT_TRUE(adb.StartServer(SimulatedEmulators::AdbPath()));
  adb.SetDeviceAddress(sim.Address(0));
  std::string error;
  EXPECT_FALSE(adb.Connect(error)) << "a fresh connection is not yet counted";
  EXPECT_NE(error.find("connected to " + sim.Address(0)), std::string::npos) << error;
  EXPECT_TRUE(adb.Connect(error));
  EXPECT_TRUE(adb.ConnectDevice());
}

TEST(EndToEnd, EveryScriptCommandReachesTheDevice) {
  SimulatedEmulators sim(1);
  ASSERT_TRUE(sim.Ready());
  auto adb = Connected(sim);
  const std::string apk = (sim.Folder() / "lingqiaodemo.apk").string();
  WriteWholeFile(apk, std::string(70000, 'k'));

  EXPECT_EQ(EffectsOfLine(sim, *adb, "模拟按键(3)"), (Lines{Effect(sim, "\"key\":3")}));
  const std::string settings = CentreOf(adb->DumpUi(), "\xE8\xAE\xBE\xE7\xBD\xAE");  // 设置
  EXPECT_EQ(EffectsOfLine(sim, *adb, "点击屏幕文本(设置)"), (Lines{Effect(sim, "\"tap\":" + settings)}));
  EXPECT_EQ(EffectsOfLine(sim, *adb, "模拟按键(4)"), (Lines{Effect(sim, "\"key\":4")}));
  EXPECT_EQ(EffectsOfLine(sim, *adb, "点击屏幕文本(没有这个)", false, false), Lines{});

  struct Case {
    std::string line;
    Lines effects;
  } cases[] = {
      {"屏幕点击(100,200)", {Effect(sim, "\"tap\":[100,200]")}},
      {"屏幕点击(100, 200)", {Effect(sim, "\"tap\":[100,200]")}},
      {"屏幕滑动(1,2,3,4)", {Effect(sim, "\"swipe\":[1,2,3,4,100]")}},
      {"运行应用(com.android.browser,com.android.browser.BrowserActivity)",
       {Effect(sim, "\"start\":\"com.android.browser/com.android.browser.BrowserActivity\"")}},
      {"安装应用(" + apk + ")", {Effect(sim, "\"install\":\"lingqiaodemo\"")}},
      {"清除应用数据(lingqiaodemo)", {Effect(sim, "\"clear\":\"lingqiaodemo\"")}},
      {"卸载应用(lingqiaodemo)", {Effect(sim, "\"uninstall\":\"lingqiaodemo\"")}},
      {"文本输入(hello)", {Effect(sim, "\"text\":\"hello\"")}},
      {"高级文本输入(你好)", {Effect(sim, "\"text\":\"\xE4\xBD\xA0\xE5\xA5\xBD\"")}},
      {"模拟按键(4)", {Effect(sim, "\"key\":4")}},
      {"执行命令(adb -s " + sim.Address(0) + " shell input keyevent 3)", {Effect(sim, "\"key\":3")}},
  };
  for (const Case& c : cases) EXPECT_EQ(EffectsOfLine(sim, *adb, c.line), c.effects) << GbkToUtf8(c.line);

  const size_t before = sim.Effects(0).size();
  EXPECT_EQ(EffectsOfLine(sim, *adb, "延时(300)", false), Lines{});
  EXPECT_EQ(sim.Effects(0).size(), before);
}

TEST(EndToEnd, TextsArriveAsTyped) {
  SimulatedEmulators sim(1);
  ASSERT_TRUE(sim.Ready());
  auto adb = Connected(sim);
  struct Case {
    std::string line, typed;
  } cases[] = {
      {"文本输入(a b)", "a b"},
      {"文本输入(it's)", "it's"},
      {"文本输入(x&y|z)", "x&y|z"},
      {"文本输入(50%soff)", "50 off"},
      {"文本输入(%PATH%)", "%PATH%"},
      {"文本输入(say \"hi\")", "say \\\"hi\\\""},
      {"高级文本输入(a b&c'd)", "a b&c'd"},
      {"高级文本输入(灵桥 100%)", "\xE7\x81\xB5\xE6\xA1\xA5 100%"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EffectsOfLine(sim, *adb, c.line), (Lines{Effect(sim, "\"text\":\"" + c.typed + "\"")})) << GbkToUtf8(c.line);

  // Without the keyboard app nothing is typed.
  EXPECT_EQ(EffectsOfLine(sim, *adb, "卸载应用(com.android.adbkeyboard)"),
            (Lines{Effect(sim, "\"uninstall\":\"com.android.adbkeyboard\"")}));
  EXPECT_EQ(EffectsOfLine(sim, *adb, "高级文本输入(abc)", false), Lines{});
}

TEST(EndToEnd, CaptureGivesTheScenesPicture) {
  SimulatedEmulators sim(1);
  ASSERT_TRUE(sim.Ready());
  auto adb = Connected(sim);
  const std::string png = adb->CaptureScreen();
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x02\xD0\0\0\x05\x00", 8)) << "720 x 1280";
  EXPECT_FALSE(FileExists(adb->PullFolder() + "jt.png"));
}

TEST(EndToEnd, ARunOnADeviceThatDropsItsConnectionStillEnds) {
  SimulatedEmulators sim(1, {"--drop-after", "6"});
  ASSERT_TRUE(sim.Ready());
  auto adb = Connected(sim);
  std::string script;
  for (int i = 1; i <= 8; ++i) script += "屏幕点击(" + std::to_string(i) + ",1)\r\n";
  RecordingReporter reporter(false);
  const RunOutcome outcome = RunScriptThread(*adb, reporter, script);
  EXPECT_EQ(outcome.end, RunOutcome::End::kCompleted);
  ASSERT_FALSE(reporter.OutputLines().empty());
  EXPECT_EQ(reporter.OutputLines().back(), "END：代码执行完毕");
}

// lingqiao-run's exit code and its output on standard output and error, together.
int RunProgram(const std::string& commandLine, std::string& output) {
  FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) output.append(buf, n);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(EndToEnd, RunnerOnThreeDevicesWithOneAbsent) {
  SimulatedEmulators sim(2);
  ASSERT_TRUE(sim.Ready());
  const std::string script = (sim.Folder() / "taps.Wexil").string();
  WriteWholeFile(script, "屏幕点击(10,20)\r\n屏幕点击(30,40)\r\n");
  const std::string absent = "127.0.0.1:" + std::to_string(UnusedPort());
  std::string output;
  const int code = RunProgram(ProgramFolder() + "/lingqiao-run --device " + sim.Address(0) + " --device " +
                                  sim.Address(1) + " --device " + absent + " " + script,
                              output);
  EXPECT_EQ(code, 1) << output;
  EXPECT_NE(output.find(absent), std::string::npos) << output;
  for (size_t d = 0; d < 2; ++d) {
    const std::string port = std::to_string(sim.Ports()[d]);
    EXPECT_EQ(sim.Effects(d), (Lines{"{\"port\":" + port + ",\"tap\":[10,20]}", "{\"port\":" + port + ",\"tap\":[30,40]}"}));
  }
}

TEST(EndToEnd, TheDemoScriptRunsThrough) {
  SimulatedEmulators sim(1);
  ASSERT_TRUE(sim.Ready());
  const std::string shot = (sim.Folder() / "demo.png").string();
  std::string output;
  const int code = RunProgram(ProgramFolder() + "/lingqiao-run --device " + sim.Address(0) + " --screenshot " +
                                  shot + " " + LINGQIAO_SOURCE_DIR "/examples/demo.Wexil",
                              output);
  EXPECT_EQ(code, 0) << output;
  EXPECT_NE(output.find("END"), std::string::npos) << output;
  EXPECT_EQ(ReadWholeFile(shot).substr(1, 3), "PNG");
}

}  // namespace
}  // namespace lingqiao
