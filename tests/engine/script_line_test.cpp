#include "engine/script_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/file_system.h"
#include "recorded_client.h"

namespace lingqiao {
namespace {

using testing::RecordedClient;

// Expected console lines are written with three stand-ins: $C is the connect line, $D the
// head of a device line ("adb -s " + address), $F the same head with adb's file name.
struct LineCase {
  const char* line;
  bool result;
  std::vector<std::string> lines;
  int pausedMs = -1;  // the 延时 wait, when the case is about one
};

std::string Expand(const std::string& pattern, const RecordedClient& client) {
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '$' && i + 1 < pattern.size()) {
      const char key = pattern[++i];
      if (key == 'C') out += client.ConnectLine();
      if (key == 'D') out += client.Device();
      if (key == 'F') out += client.DeviceByFileName();
      continue;
    }
    out += pattern[i];
  }
  return out;
}

const std::vector<LineCase>& ExecuteCases() {
  static const std::vector<LineCase> cases = {
      // Taps: the pieces go on as written; a trailing empty piece is dropped.
      {"屏幕点击(100,200)", true, {"$C", "$D shell input tap 100 200"}},
      {"屏幕点击(100,200,)", true, {"$C", "$D shell input tap 100 200"}},
      {"屏幕点击(100, 200)", true, {"$C", "$D shell input tap 100  200"}},
      {"屏幕点击(,200)", true, {"$C", "$D shell input tap  200"}},
      {"屏幕点击(100,,200)", false, {}},
      {"屏幕点击(1)", false, {}},
      {"屏幕点击()", false, {}},
      // Only the name right before the first "(" counts, and only up to the first ")".
      {"屏幕点击 (100,200)", true, {}},
      {"abc屏幕点击(1,2)xyz", true, {"$C", "$D shell input tap 1 2"}},
      {"你好屏幕点击(1,2)", true, {}},
      {"(1,2)", true, {}},
      {"未知命令(1,2)", true, {}},
      {"延时(1000)屏幕点击(1,2)", true, {}, 1000},
      {"执行命令(echo (hi))", true, {"echo (hi"}},
      // Lines the pattern does not take.
      {"", false, {}},
      {"   ", false, {}},
      {"屏幕点击（1,2）", false, {}},
      {"屏幕点击(1,2", false, {}},
      {"屏幕点击1,2)", false, {}},
      // Waits and key codes take the number TextToInt makes of the text.
      {"延时(250)", true, {}, 250},
      {"延时(abc)", true, {}, 0},
      {"延时(-5)", true, {}, 0},
      {"延时( )", true, {}, 0},
      {"模拟按键(4)", true, {"$D shell input keyevent 4"}},
      {"模拟按键(abc)", true, {"$D shell input keyevent 0"}},
      {"模拟按键(３)", true, {"$D shell input keyevent 3"}},
      // The other commands, each with its one or two lines.
      {"屏幕滑动(1,2,3,4)", true, {"$C", "$D shell input swipe 1 2 3 4 100"}},
      {"屏幕滑动(1,2,3)", false, {}},
      {"屏幕滑动(1,2,3,4,5)", false, {}},
      {"运行应用(com.android.settings,.Settings)",
       true,
       {"adb -s 127.0.0.1:6555 shell am start -n com.android.settings/.Settings"}},
      {"运行应用(com.android.settings)", false, {}},
      {"安装应用(/data/app.apk)", true, {"$D install -r /data/app.apk"}},
      {"文本输入(hello)", true, {"$C", "$D shell input text hello"}},
      {"高级文本输入(hello)",
       true,
       {"$C", "adb shell am broadcast -a ADB_INPUT_TEXT --es msg 'hello'"}},
      {"清除应用数据(com.example)", true, {"$F shell pm clear com.example"}},
      {"卸载应用(com.example)", true, {"$D shell pm uninstall com.example"}},
      {"执行命令(adb devices)", true, {"adb devices"}},
      {"执行命令()", false, {}},
  };
  return cases;
}

TEST(ExecuteScriptLine, CatalogueAndFailureRules) {
  for (const LineCase& c : ExecuteCases()) {
    SCOPED_TRACE(c.line);
    RecordedClient client;
    std::string callFormat = "untouched";
    const int64_t before = client.clock->PausedMs();
    EXPECT_EQ(ExecuteScriptLine(*client.adb, c.line, callFormat, false), c.result);
    std::vector<std::string> expected;
    for (const std::string& l : c.lines) expected.push_back(Expand(l, client));
    EXPECT_EQ(client.Lines(), expected);
    EXPECT_EQ(callFormat, "untouched");
    if (c.pausedMs >= 0) {
      EXPECT_EQ(client.clock->PausedMs() - before, c.pausedMs);
    }
  }
}

// With nothing on the screen the text is not found and the line fails, after the UI dump
// has been asked for and waited on.
TEST(ExecuteScriptLine, TapTextFailsWhenTheTextIsNotShown) {
  RecordedClient client;
  std::string callFormat;
  EXPECT_FALSE(ExecuteScriptLine(*client.adb, "点击屏幕文本(设置)", callFormat, false));
  const auto lines = client.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], client.Device() + " shell uiautomator dump /sdcard/ui.xml");
  EXPECT_EQ(lines[1].rfind(client.DeviceByFileName() + " pull /sdcard/ui.xml ", 0), 0u);
}

// The device "copies" a dump holding the text: the node's centre is tapped.
TEST(ExecuteScriptLine, TapTextTapsTheNodesCentre) {
  RecordedClient client;
  AdbClient* adb = client.adb.get();
  client.console->SetAnswerer([adb](const std::string& line) {
    if (line.find(" pull /sdcard/ui.xml ") != std::string::npos) {
      WriteWholeFile(adb->PullFolder() + "ui.xml",
                     "<hierarchy><node text=\"\xE8\xAE\xBE\xE7\xBD\xAE\" "
                     "bounds=\"[10,20][30,40]\" /></hierarchy>");
    }
    return std::string();
  });
  std::string callFormat;
  EXPECT_TRUE(ExecuteScriptLine(*adb, "点击屏幕文本(设置)", callFormat, false));
  const auto lines = client.Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), client.Device() + " shell input tap 20 30");
}

// The texts exactly as users know them; the first four have a blank after the colon.
const char* const kCallFormats[12] = {
    "调用格式： 屏幕点击 （X坐标,Y坐标)\r\n点击安卓模拟一个坐标",
    "调用格式： 延时(时间)\r\n等待指定时间执行下面代码，单位为毫秒",
    "调用格式： 屏幕滑动(滑动前坐标x,滑动前坐标y,滑动后坐标x,滑动后坐标y)\r\n从一个坐标划向另外一个坐标",
    "调用格式： 运行应用(包名,活动名)\r\n运行一个应用，必须提供包名和活动名，活动名通常为包名+活动动名，如com.android.browser.BrowserActivity）",
    "调用格式：安装应用(文件绝对路径)\r\n安装一个APK文件到手机，文件大小不同等待时间不同",
    "调用格式：文本输入(内容)\r\n输入指定内容，不支持中文以及特殊字符",
    "调用格式：高级文本输入(内容)\r\n输入指定内容，支持中文以及特殊字符，需要安装ADB keyboard",
    "调用格式：清除应用数据(包名)\r\n清除指定应用的数据",
    "调用格式：卸载应用(包名)\r\n卸载手机应用，系统应用无法卸载。需要输入包名",
    "调用格式：点击屏幕文本(文本内容)\r\n可以点击屏幕所有可见文本.。已知海马玩模拟器不支持",
    "调用格式：模拟按键(键代码)\r\n\"3\"=主页键，\"4=返回键，\"19=上键，\"20=下键，\"21=左键，\"22=右键，\"23=确定键，\"24=音量键+，\"25=音量键-，\"82=菜单键",
    "调用格式：执行命令(命令内容)\r\n执行指定的adb命令",
};

const char* const kNames[12] = {"屏幕点击", "延时",         "屏幕滑动",     "运行应用",
                                "安装应用", "文本输入",     "高级文本输入", "清除应用数据",
                                "卸载应用", "点击屏幕文本", "模拟按键",     "执行命令"};

TEST(ExecuteScriptLine, DescribeGivesEachCommandsCallFormat) {
  RecordedClient client;
  const int64_t pausesBefore = client.clock->Pauses();
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(kNames[i]);
    std::string callFormat;
    EXPECT_FALSE(ExecuteScriptLine(*client.adb, std::string(kNames[i]) + "(xyz)", callFormat, true));
    EXPECT_EQ(callFormat, kCallFormats[i]);
    // The catalogue lists the same names and texts in the same order.
    EXPECT_EQ(ScriptCommands()[i].name, kNames[i]);
    EXPECT_EQ(ScriptCommands()[i].callFormat, kCallFormats[i]);
  }
  EXPECT_TRUE(client.Lines().empty());
  EXPECT_EQ(client.clock->Pauses(), pausesBefore);
}

TEST(ExecuteScriptLine, DescribeLeavesTheTextForUnknownAndUnmatchedLines) {
  RecordedClient client;
  struct Case {
    const char* line;
    bool result;
    const char* callFormat;
  } cases[] = {
      {"屏幕点击()", false, kCallFormats[0]},  // the describe test comes before the empty test
      {"文本输入(xyz)", false, kCallFormats[5]},
      {"未知命令(1)", true, "old"},
      {"屏幕点击 (1,2)", true, "old"},
      {"屏幕点击", false, "old"},
      {"", false, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string callFormat = "old";
    EXPECT_EQ(ExecuteScriptLine(*client.adb, c.line, callFormat, true), c.result);
    EXPECT_EQ(callFormat, c.callFormat);
  }
  EXPECT_TRUE(client.Lines().empty());
}

}  // namespace
}  // namespace lingqiao
