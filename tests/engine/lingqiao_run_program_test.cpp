// lingqiao-run as a user runs it: options, script encodings, output, exit codes. The dry runs
// need nothing else; the real runs go through the console host to the fake adb.
#include <signal.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "child_process_posix.h"
#include "fake_adb_fixture.h"
#include "text/encoding.h"

namespace lingqiao {
namespace {

using testing::ChildResult;
using testing::RunChild;
namespace fs = std::filesystem;

// The program's output is UTF-8; the literals here are GBK.
std::string U(const std::string& gbk) { return GbkToUtf8(gbk); }

class LingqiaoRun : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("lingqiao-run-test-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // A script file with these bytes.
  std::string Script(const std::string& name, const std::string& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  // The child's PATH holds no adb: "adb" in a console line can only be the adb given, never
  // a real one that would start a server on this machine.
  ChildResult Run(std::vector<std::string> args, int timeoutMs = 60000,
                  const std::function<int(const std::string&)>& onOutput = nullptr) {
    args.insert(args.begin(), LINGQIAO_RUN_PROGRAM);
    fs::create_directories(folder_ / "empty-path");
    return RunChild(args, {"PATH=" + (folder_ / "empty-path").string()}, timeoutMs, onOutput);
  }

  fs::path folder_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', from)) {
    lines.push_back(text.substr(from, at - from));
    from = at + 1;
  }
  if (from < text.size()) lines.push_back(text.substr(from));
  return lines;
}

// The lines of one device in a run on several, without their prefix.
std::vector<std::string> LinesOf(const std::string& text, const std::string& address) {
  std::vector<std::string> lines;
  const std::string prefix = "[" + address + "] ";
  for (const std::string& line : Lines(text)) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
  }
  return lines;
}

// The closing capture's two lines, without the local path that ends the second.
void DropCapturePath(std::vector<std::string>& lines) {
  if (!lines.empty()) {
    const size_t at = lines.back().rfind(' ');
    if (at != std::string::npos) lines.back().resize(at);
  }
}

TEST_F(LingqiaoRun, HelpExplainsAndExitsZero) {
  const ChildResult r = Run({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  for (const char* word : {"--device", "--adb", "--screenshot", "--dry-run", "130"}) {
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
  }
  EXPECT_NE(r.out.find(U("用法：")), std::string::npos);
}

TEST_F(LingqiaoRun, BadCommandLinesExitTwo) {
  const std::string script = Script("a.Wexil", "");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--bogus", script},
      {"--device"},
      {"--adb", "/usr/bin/adb2", script},
      {"--device", "1.2.3.4:5", "--device", "1.2.3.4:5", script},
      {(folder_ / "missing.Wexil").string()},
      {folder_.string()},  // a folder is no script
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.empty() ? "(nothing)" : args[0]);
    const ChildResult r = Run(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
}

constexpr char kAddress[] = "127.0.0.1:6555";

TEST_F(LingqiaoRun, DryRunPrintsConsoleLinesAndLog) {
  const ChildResult r =
      Run({"--dry-run", Script("a.Wexil", "屏幕点击(100,200)\r\n延时(5000)\r\n模拟按键(3)\r\n")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  DropCapturePath(lines);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       U("START：开始执行代码"),
                       "> adb connect 127.0.0.1:6555",
                       "> adb -s 127.0.0.1:6555 shell input tap 100 200",
                       U("运行状态：正在执行第：1行代码"),
                       U("运行状态：正在执行第：2行代码"),
                       "> adb -s 127.0.0.1:6555 shell input keyevent 3",
                       U("运行状态：正在执行第：3行代码"),
                       U("运行状态：代码运行完成"),
                       U("END：代码执行完毕"),
                       "> adb -s 127.0.0.1:6555 shell screencap -p /sdcard/jt.png",
                       "> adb -s 127.0.0.1:6555 pull /sdcard/jt.png",
                   }));
  EXPECT_EQ(r.err, "");
  EXPECT_LT(r.seconds, 4.0);  // the dry run's clock does not wait
}

TEST_F(LingqiaoRun, DryRunFailsWhereTheTextIsNotOnScreen) {
  const ChildResult r =
      Run({"--dry-run", Script("a.Wexil", "模拟按键(3)\r\n点击屏幕文本(设置)\r\n模拟按键(4)\r\n")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find(U("**错误：2行代码运行出错")), std::string::npos);
  EXPECT_EQ(r.out.find("keyevent 4"), std::string::npos);
  // The summary names the device and the line.
  EXPECT_NE(r.err.find(U("127.0.0.1:6555：第2行代码运行出错：点击屏幕文本(设置)")), std::string::npos)
      << r.err;
}

TEST_F(LingqiaoRun, Utf8ScriptIsConvertedWithANote) {
  const std::string gbk = "模拟按键(3)\r\n高级文本输入(你好)\r\n";
  for (const std::string& prefix : {std::string(), std::string("\xEF\xBB\xBF")}) {
    SCOPED_TRACE(prefix.empty() ? "without byte-order mark" : "with byte-order mark");
    const ChildResult asGbk = Run({"--dry-run", Script("g.Wexil", gbk)});
    const ChildResult asUtf8 = Run({"--dry-run", Script("u.Wexil", prefix + U(gbk))});
    EXPECT_EQ(asUtf8.exitCode, 0);
    EXPECT_EQ(Lines(asUtf8.out).size(), Lines(asGbk.out).size());
    EXPECT_NE(asUtf8.out.find("keyevent 3"), std::string::npos);
    EXPECT_NE(asUtf8.out.find(U("'你好'")), std::string::npos);
    EXPECT_NE(asUtf8.err.find("UTF-8"), std::string::npos);
    EXPECT_EQ(asGbk.err, "");
  }
}

TEST_F(LingqiaoRun, LoneLineFeedsRunAsOneLineWithAWarning) {
  const ChildResult r = Run({"--dry-run", Script("a.Wexil", "模拟按键(3)\n模拟按键(4)\n")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("keyevent 3"), std::string::npos);
  EXPECT_EQ(r.out.find("keyevent 4"), std::string::npos);
  EXPECT_NE(r.out.find(U("正在执行第：1行代码")), std::string::npos);
  EXPECT_NE(r.err.find("CR LF"), std::string::npos);
}

TEST_F(LingqiaoRun, SeveralDevicesRunSideBySideWithPrefixes) {
  const ChildResult r = Run({"--dry-run", "--device", kAddress, "--device", "127.0.0.1:21503",
                             Script("a.Wexil", "模拟按键(3)\r\n")});
  EXPECT_EQ(r.exitCode, 0);
  for (const std::string& address : {std::string(kAddress), std::string("127.0.0.1:21503")}) {
    std::vector<std::string> lines = LinesOf(r.out, address);
    DropCapturePath(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         U("START：开始执行代码"),
                         "> adb -s " + address + " shell input keyevent 3",
                         U("运行状态：正在执行第：1行代码"),
                         U("运行状态：代码运行完成"),
                         U("END：代码执行完毕"),
                         "> adb -s " + address + " shell screencap -p /sdcard/jt.png",
                         "> adb -s " + address + " pull /sdcard/jt.png",
                     }));
  }
  EXPECT_EQ(Lines(r.out).size(), 14u);  // every line names its device
}

TEST_F(LingqiaoRun, EmptyCaptureWritesNoFileAndWarns) {
  const fs::path shot = folder_ / "shot.png";
  const ChildResult r = Run({"--dry-run", "--screenshot", shot.string(), Script("a.Wexil", "")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_FALSE(fs::exists(shot));
  EXPECT_NE(r.err.find(shot.string()), std::string::npos);
}

// --- Real runs, through the console host, against the fake adb. -------------------------

class LingqiaoRunFakeAdb : public LingqiaoRun {
 protected:
  std::string Adb() const { return FakeAdbFixture::AdbProgram().string(); }
  FakeAdbFixture fake_;
};

bool Called(const std::vector<std::vector<std::string>>& calls,
            const std::vector<std::string>& args) {
  for (const auto& call : calls) {
    if (std::vector<std::string>(call.begin() + 1, call.end()) == args) return true;
  }
  return false;
}

// A whole 1x1 PNG: the client takes a pulled picture only once it ends in its IEND chunk.
const std::string kPicture(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
    "\x00\x01\x08\x02\x00\x00\x00\x90\x77\x53\xde\x00\x00\x00\x0c\x49\x44\x41\x54\x78\x9c"
    "\x63\xf8\xcf\xc0\x00\x00\x03\x01\x01\x00\xc9\xfe\x92\xef\x00\x00\x00\x00\x49\x45\x4e"
    "\x44\xae\x42\x60\x82",
    69);

TEST_F(LingqiaoRunFakeAdb, StartsConnectsRunsAndSavesTheScreenshot) {
  const fs::path png = folder_ / "screen.png";
  std::ofstream(png, std::ios::binary) << kPicture;
  fake_.WriteRules({{.args = {"-s", kAddress, "pull", "/sdcard/jt.png", "**"},
                     .pullFrom = PathToUtf8(png)}});
  const fs::path shot = folder_ / "shot.png";
  const ChildResult r = Run({"--adb", Adb(), "--screenshot", shot.string(),
                             Script("a.Wexil", "屏幕点击(100,200)\r\n")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{
                              U("正在开启ADB服务"),
                              U("开启ADB服务成功，开始连接"),
                              U("连接成功！"),
                              U("软件提示：连接成功：127.0.0.1:6555"),
                              U("START：开始执行代码"),
                              U("运行状态：正在执行第：1行代码"),
                              U("运行状态：代码运行完成"),
                              U("END：代码执行完毕"),
                          }));
  EXPECT_TRUE(Called(fake_.ReadCalls(), {"-s", kAddress, "shell", "input", "tap", "100", "200"}));
  std::ifstream in(shot, std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(saved, kPicture);
}

TEST_F(LingqiaoRunFakeAdb, AnAdbThatCannotStartExitsTwo) {
  const fs::path missing = folder_ / "nowhere" / "adb";
  const ChildResult r = Run({"--adb", missing.string(), Script("a.Wexil", "模拟按键(3)\r\n")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{U("正在开启ADB服务"), U("ADB开启失败"),
                                                    U("正在开启ADB服务"), U("ADB开启失败")}));
  EXPECT_NE(r.err.find(kAddress), std::string::npos);
}

TEST_F(LingqiaoRunFakeAdb, ADeviceThatDoesNotConnectIsSkipped) {
  fake_.WriteRules({{.args = {"connect", "127.0.0.1:21503"},
                     .stdoutText = "failed to connect to '127.0.0.1:21503': Connection refused\n"}});
  const ChildResult r = Run({"--adb", Adb(), "--device", kAddress, "--device", "127.0.0.1:21503",
                             Script("a.Wexil", "模拟按键(3)\r\n")});
  EXPECT_EQ(r.exitCode, 1);
  const auto good = LinesOf(r.out, kAddress);
  EXPECT_NE(std::find(good.begin(), good.end(), U("END：代码执行完毕")), good.end());
  const auto bad = LinesOf(r.out, "127.0.0.1:21503");
  EXPECT_EQ(bad, (std::vector<std::string>{U("正在开启ADB服务"), U("开启ADB服务成功，开始连接"),
                                           U("连接模拟器端口：127.0.0.1:21503 失败")}));
  EXPECT_NE(r.err.find(U("127.0.0.1:21503：连接失败")), std::string::npos) << r.err;
  EXPECT_FALSE(Called(fake_.ReadCalls(), {"-s", "127.0.0.1:21503", "shell", "input", "keyevent", "3"}));
}

TEST_F(LingqiaoRunFakeAdb, CtrlCEndsTheRunAtOnce) {
  const ChildResult r = Run({"--adb", Adb(), Script("a.Wexil", "延时(60000)\r\n模拟按键(3)\r\n")},
                            30000, [](const std::string& out) {
                              return out.find(U("START：")) != std::string::npos ? SIGINT : 0;
                            });
  EXPECT_EQ(r.exitCode, 130);
  ASSERT_GE(r.signalSeconds, 0);
  EXPECT_LT(r.seconds - r.signalSeconds, 1.0);  // not the minute the script asked for
  const auto calls = fake_.ReadCalls();
  EXPECT_FALSE(Called(calls, {"-s", kAddress, "shell", "input", "keyevent", "3"}));
  EXPECT_FALSE(Called(calls, {"kill-server"}));  // the server stays
  EXPECT_NE(r.err.find("Ctrl-C"), std::string::npos);
}

}  // namespace
}  // namespace lingqiao
