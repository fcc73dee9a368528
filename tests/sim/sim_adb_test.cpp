// lingqiao-sim through Debian's real adb: the client, its server and the simulator as they run
// for users, each test with its own server and simulator.
#include <gtest/gtest.h>
#include <png.h>

#include <chrono>
#include <fstream>
#include <regex>

#include "adb_session.h"

namespace lingqiao::sim::testing {
namespace {

using Lines = std::vector<std::string>;

#define REQUIRE_SESSION(session)                                      \
  if (!AdbSession::AdbAvailable()) GTEST_SKIP() << "no /usr/bin/adb"; \
  ASSERT_TRUE((session).Ready()) << ReadFile((session).Folder() / "sim.err")

std::string Line(int port, const std::string& members) {
  return "{\"port\":" + std::to_string(port) + "," + members + "}";
}

// The journal without its service lines.
Lines Effects(const Lines& journal) {
  Lines out;
  for (const std::string& line : journal) {
    if (line.find("\"service\":") == std::string::npos) out.push_back(line);
  }
  return out;
}

// The centre of the node with the text, found as the client finds it.
std::pair<int, int> CentreOf(const std::string& xml, const std::string& text) {
  const std::regex pattern("text=\"" + text + "\".*?bounds=\"\\[(\\d+),(\\d+)\\]\\[(\\d+),(\\d+)\\]\"");
  std::smatch m;
  if (!std::regex_search(xml, m, pattern)) return {-1, -1};
  const int l = std::stoi(m[1]), t = std::stoi(m[2]), r = std::stoi(m[3]), b = std::stoi(m[4]);
  return {r - (r - l) / 2, b - (b - t) / 2};
}

class SimAdb : public ::testing::Test {
 protected:
  std::string Dump(AdbSession& session) {
    session.On(0, {"shell", "uiautomator", "dump", "/sdcard/ui.xml"});
    const auto local = session.Folder() / "ui.xml";
    session.On(0, {"pull", "/sdcard/ui.xml", local.string()});
    return ReadFile(local);
  }
};

TEST_F(SimAdb, ConnectSaysConnectedThenAlreadyConnectedAndListsTheDevice) {
  AdbSession session(1);
  REQUIRE_SESSION(session);
  const std::string serial = session.Serial();
  EXPECT_EQ(session.Adb({"connect", serial}).out, "connected to " + serial + "\n");
  EXPECT_EQ(session.Adb({"connect", serial}).out, "already connected to " + serial + "\n");
  EXPECT_EQ(session.Adb({"devices"}).out, "List of devices attached\n" + serial + "\tdevice\n\n");
}

TEST_F(SimAdb, ShellCommandsAnswerAsTheDeviceToolsAndLeaveEffects) {
  AdbSession session(1);
  REQUIRE_SESSION(session);
  ASSERT_TRUE(session.ConnectAll());
  auto shell = [&](Lines words) {
    words.insert(words.begin(), "shell");
    const AdbResult r = session.On(0, words);
    EXPECT_EQ(r.code, 0);
    return r.out;
  };
  EXPECT_EQ(shell({"input", "tap", "100", "200"}), "");
  shell({"input", "swipe", "100", "900", "100", "300", "100"});
  shell({"input", "keyevent", "3"});
  shell({"input", "text", "hello%sworld"});
  shell({"input", "text", "'a b'"});
  // No -s: the one device there is.
  const AdbResult broadcast = session.Adb({"shell", "am", "broadcast", "-a", "ADB_INPUT_TEXT", "--es", "msg", "'你好 世界'"});
  EXPECT_EQ(broadcast.out, "Broadcasting: Intent { act=ADB_INPUT_TEXT flg=0x400000 (has extras) }\n"
                           "Broadcast completed: result=0\n");
  EXPECT_EQ(shell({"am", "start", "-n", "com.android.settings/.Settings"}),
            "Starting: Intent { cmp=com.android.settings/.Settings }\n");
  EXPECT_EQ(shell({"pm", "clear", "com.android.browser"}), "Success\n");
  EXPECT_EQ(shell({"getprop", "ro.product.model"}), "Lingqiao Sim\n");
  EXPECT_EQ(shell({"setprop", "debug.lingqiao", "1"}), "");
  EXPECT_EQ(shell({"getprop", "debug.lingqiao"}), "1\n");
  EXPECT_EQ(shell({"wm", "size"}), "Physical size: 720x1280\n");
  EXPECT_NE(shell({"pm", "list", "packages"}).find("package:com.android.adbkeyboard\n"), std::string::npos);
  EXPECT_NE(session.Adb({"shell", "ps"}).out.find(" com.android.settings\n"), std::string::npos);
  EXPECT_EQ(shell({"su", "-c", " 'mount -o remount,rw -t yaffs2 /dev/block/mtdblock3 /system' "}), "");
  EXPECT_EQ(shell({"frobnicate"}), "/system/bin/sh: frobnicate: not found\n");

  const int p = session.Port();
  EXPECT_EQ(Effects(session.Journal()),
            (Lines{Line(p, "\"tap\":[100,200]"), Line(p, "\"swipe\":[100,900,100,300,100]"), Line(p, "\"key\":3"),
                   Line(p, "\"text\":\"hello world\""), Line(p, "\"text\":\"a b\""), Line(p, "\"text\":\"你好 世界\""),
                   Line(p, "\"start\":\"com.android.settings/.Settings\""), Line(p, "\"clear\":\"com.android.browser\"")}));
  const Lines journal = session.Journal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal[0], Line(p, "\"service\":\"shell:input tap 100 200\""));
}

TEST_F(SimAdb, ScreenshotAndDumpArePulledAndShowTheScene) {
  AdbSession session(1);
  REQUIRE_SESSION(session);
  ASSERT_TRUE(session.ConnectAll());
  EXPECT_EQ(session.On(0, {"shell", "screencap", "-p", "/sdcard/jt.png"}).out, "");
  const auto png = session.Folder() / "jt.png";
  const AdbResult pulled = session.On(0, {"pull", "/sdcard/jt.png", png.string()});
  EXPECT_NE(pulled.out.find("/sdcard/jt.png: 1 file pulled"), std::string::npos) << pulled.out << pulled.err;
  EXPECT_NE(pulled.out.find(" bytes in "), std::string::npos);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str()));
  EXPECT_EQ(image.width, 720u);
  EXPECT_EQ(image.height, 1280u);
  png_image_free(&image);

  const AdbResult dumped = session.On(0, {"shell", "uiautomator", "dump", "/sdcard/ui.xml"});
  EXPECT_EQ(dumped.out, "UI hierchary dumped to: /sdcard/ui.xml\n");
  const std::string xml = Dump(session);
  EXPECT_EQ(xml.substr(xml.size() - 12), "</hierarchy>");
  EXPECT_EQ(CentreOf(xml, "设置"), (std::pair<int, int>{105, 215}));
}

TEST_F(SimAdb, TappingTextsAndTypingChangeTheDump) {
  AdbSession session(1);
  REQUIRE_SESSION(session);
  ASSERT_TRUE(session.ConnectAll());
  auto tap = [&](const std::string& text) {
    const auto [x, y] = CentreOf(Dump(session), text);
    ASSERT_GE(x, 0) << text;
    session.On(0, {"shell", "input", "tap", std::to_string(x), std::to_string(y)});
  };
  tap("设置");
  EXPECT_NE(Dump(session).find("text=\"关于手机\""), std::string::npos);
  session.On(0, {"shell", "input", "keyevent", "4"});
  tap("浏览器");
  session.On(0, {"shell", "input", "text", "hello%sworld"});
  session.Adb({"shell", "am", "broadcast", "-a", "ADB_INPUT_TEXT", "--es", "msg", "'你好'"});
  EXPECT_NE(Dump(session).find("text=\"hello world你好\" resource-id=\"com.android.browser:id/url\""), std::string::npos);
  session.On(0, {"shell", "input", "keyevent", "3"});
  EXPECT_NE(Dump(session).find("text=\"浏览器\""), std::string::npos);
}

TEST_F(SimAdb, InstallPushesTheApkAndInstallsItUnderItsFileName) {
  AdbSession session(1);
  REQUIRE_SESSION(session);
  ASSERT_TRUE(session.ConnectAll());
  const auto apk = session.Folder() / "com.example.demo.apk";
  std::ofstream(apk, std::ios::binary) << std::string(70000, 'k');
  const AdbResult installed = session.On(0, {"install", "-r", apk.string()});
  EXPECT_EQ(installed.code, 0);
  EXPECT_EQ(installed.out.rfind("Performing Push Install\n", 0), 0u) << installed.out;
  EXPECT_NE(installed.out.find("1 file pushed"), std::string::npos);
  EXPECT_NE(installed.out.find("(70000 bytes in "), std::string::npos);
  EXPECT_NE(installed.out.find("\nSuccess\n"), std::string::npos);
  EXPECT_NE(session.On(0, {"shell", "pm", "list", "packages"}).out.find("package:com.example.demo\n"), std::string::npos);
  // adb removes the pushed file afterwards.
  EXPECT_EQ(session.On(0, {"shell", "ls", "/data/local/tmp"}).out, "");
  EXPECT_EQ(session.On(0, {"uninstall", "com.example.demo"}).out, "Success\n");
  EXPECT_EQ(session.On(0, {"shell", "pm", "uninstall", "com.example.demo"}).out, "Failure [not installed for 0]\n");
  const int p = session.Port();
  EXPECT_EQ(Effects(session.Journal()),
            (Lines{Line(p, "\"install\":\"com.example.demo\""), Line(p, "\"uninstall\":\"com.example.demo\"")}));
}

TEST_F(SimAdb, PullOfAMissingFileFails) {
  AdbSession session(1);
  REQUIRE_SESSION(session);
  ASSERT_TRUE(session.ConnectAll());
  const AdbResult r = session.On(0, {"pull", "/sdcard/none.png", (session.Folder() / "x").string()});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE((r.out + r.err).find("adb: error: remote object '/sdcard/none.png' does not exist"), std::string::npos);
}

TEST_F(SimAdb, AnUnauthorizedDeviceFailsToAuthenticate) {
  AdbSession session(1, {"--unauthorized"});
  REQUIRE_SESSION(session);
  const std::string serial = session.Serial();
  EXPECT_EQ(session.Adb({"connect", serial}).out, "failed to authenticate to " + serial + "\n");
  EXPECT_TRUE(session.WaitForState(0, "unauthorized", 2000));
  EXPECT_TRUE(session.Journal().empty());
}

TEST_F(SimAdb, ADroppedConnectionIsMadeAgainByAdb) {
  AdbSession session(1, {"--drop-after", "1"});
  REQUIRE_SESSION(session);
  ASSERT_TRUE(session.ConnectAll());
  EXPECT_EQ(session.On(0, {"shell", "echo", "a"}).out, "a\n");
  // The host reconnects a dropped TCP device after 250 ms.
  ASSERT_TRUE(session.WaitForState(0, "device", 5000));
  EXPECT_EQ(session.On(0, {"shell", "echo", "b"}).out, "b\n");
  const int p = session.Port();
  const Lines journal = session.Journal();
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal[1], Line(p, "\"service\":\"shell:echo b\""));
}

TEST_F(SimAdb, SeveralDevicesEachKeepTheirOwnJournalPort) {
  AdbSession session(2, {"--latency", "30"});
  REQUIRE_SESSION(session);
  ASSERT_TRUE(session.ConnectAll());
  EXPECT_EQ(session.Adb({"shell", "echo", "x"}).err, "error: more than one device/emulator\n");
  const auto start = std::chrono::steady_clock::now();
  session.On(1, {"shell", "input", "keyevent", "4"});
  // The answer to OPEN (its OKAY, and the CLSE of a command without output) was held back.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  session.On(0, {"shell", "input", "keyevent", "3"});
  EXPECT_EQ(Effects(session.Journal()), (Lines{Line(session.Port(1), "\"key\":4"), Line(session.Port(0), "\"key\":3")}));
}

TEST_F(SimAdb, SigtermEndsTheSimulatorCleanlyWithTheJournalWritten) {
  AdbSession session(1);
  REQUIRE_SESSION(session);
  ASSERT_TRUE(session.ConnectAll());
  session.On(0, {"shell", "input", "tap", "1", "2"});
  EXPECT_EQ(session.StopSimulator(), 0);
  EXPECT_EQ(session.Journal().back(), Line(session.Port(), "\"tap\":[1,2]"));
}

}  // namespace
}  // namespace lingqiao::sim::testing
