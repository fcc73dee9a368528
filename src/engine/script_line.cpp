#include "engine/script_line.h"

#include <algorithm>
#include <vector>

#include "device/adb_client.h"
#include "text/regex_object.h"
#include "text/text_helpers.h"

namespace lingqiao {

// The pattern keeps \uXXXX escapes: the regular-expression engine reads them as code points,
// so the class covers the CJK block whatever the line's bytes are.
const char kLinePattern[] = R"re(([\u4e00-\u9fa5]*?)\((.*?)\))re";

namespace {

enum Command {
  kTap = 0,
  kDelay,
  kSwipe,
  kStartApp,
  kInstall,
  kTypeText,
  kTypeTextKeyboard,
  kClearData,
  kUninstall,
  kTapText,
  kKey,
  kAdbCommand,
};

// The texts are stored exactly as users have always seen them, odd quotes and the
// full-width parenthesis of the first one included.
constexpr std::array<ScriptCommand, 12> kCommands{{
    {"屏幕点击", "调用格式： 屏幕点击 （X坐标,Y坐标)\r\n点击安卓模拟一个坐标"},
    {"延时", "调用格式： 延时(时间)\r\n等待指定时间执行下面代码，单位为毫秒"},
    {"屏幕滑动",
     "调用格式： 屏幕滑动(滑动前坐标x,滑动前坐标y,滑动后坐标x,滑动后坐标y)\r\n"
     "从一个坐标划向另外一个坐标"},
    {"运行应用",
     "调用格式： 运行应用(包名,活动名)\r\n运行一个应用，必须提供包名和活动名，"
     "活动名通常为包名+活动动名，如com.android.browser.BrowserActivity）"},
    {"安装应用", "调用格式：安装应用(文件绝对路径)\r\n安装一个APK文件到手机，文件大小不同等待时间不同"},
    {"文本输入", "调用格式：文本输入(内容)\r\n输入指定内容，不支持中文以及特殊字符"},
    {"高级文本输入",
     "调用格式：高级文本输入(内容)\r\n输入指定内容，支持中文以及特殊字符，需要安装ADB keyboard"},
    {"清除应用数据", "调用格式：清除应用数据(包名)\r\n清除指定应用的数据"},
    {"卸载应用", "调用格式：卸载应用(包名)\r\n卸载手机应用，系统应用无法卸载。需要输入包名"},
    {"点击屏幕文本", "调用格式：点击屏幕文本(文本内容)\r\n可以点击屏幕所有可见文本.。已知海马玩模拟器不支持"},
    {"模拟按键",
     "调用格式：模拟按键(键代码)\r\n\"3\"=主页键，\"4=返回键，\"19=上键，\"20=下键，\"21=左键，"
     "\"22=右键，\"23=确定键，\"24=音量键+，\"25=音量键-，\"82=菜单键"},
    {"执行命令", "调用格式：执行命令(命令内容)\r\n执行指定的adb命令"},
}};

// Slices short enough that a stop feels immediate, long enough that the extra wake-ups do not
// stretch a long wait measurably.
constexpr int kDelaySliceMs = 50;

bool PiecesAre(const std::vector<std::string>& pieces, size_t count) {
  return pieces.size() == count;
}

bool Perform(AdbClient& adb, int command, const std::string& args, const StopFlag* stop) {
  switch (command) {
    case kTap: {
      const auto pieces = SplitText(args, ",");
      if (!PiecesAre(pieces, 2)) return false;
      adb.Tap(pieces[0], pieces[1]);
      return true;
    }
    case kDelay:
      WaitScriptDelay(adb, TextToInt(args), stop);
      return true;
    case kSwipe: {
      const auto pieces = SplitText(args, ",");
      if (!PiecesAre(pieces, 4)) return false;
      adb.Swipe(pieces[0], pieces[1], pieces[2], pieces[3], 100);
      return true;
    }
    case kStartApp: {
      const auto pieces = SplitText(args, ",");
      if (!PiecesAre(pieces, 2)) return false;
      adb.StartActivity(pieces[0], pieces[1]);
      return true;
    }
    case kInstall: {
      std::string output;
      adb.InstallApk(args, output);
      return true;
    }
    case kTypeText:
      adb.InputText(args);
      return true;
    case kTypeTextKeyboard:
      adb.InputTextByAdbKeyboard(args);
      return true;
    case kClearData:
      adb.ClearAppData(args);
      return true;
    case kUninstall:
      adb.UninstallApp(args);
      return true;
    case kTapText:
      return adb.TapText(args);
    case kKey:
      adb.KeyEvent(TextToInt(args));
      return true;
    case kAdbCommand: {
      std::string output;
      adb.RunAdbCommand(args, std::nullopt, &output);
      return true;
    }
  }
  return true;
}

}  // namespace

const std::array<ScriptCommand, 12>& ScriptCommands() { return kCommands; }

void WaitScriptDelay(AdbClient& adb, int ms, const StopFlag* stop) {
  Clock& clock = adb.GetClock();
  ms = std::max(ms, 0);
  if (stop == nullptr || ms == 0) {
    clock.Sleep(ms);
    return;
  }
  while (ms > 0 && !stop->load()) {
    const int slice = std::min(ms, kDelaySliceMs);
    clock.Sleep(slice);
    ms -= slice;
  }
}

bool ExecuteScriptLine(AdbClient& adb, std::string_view line, std::string& callFormat,
                       bool describe, const StopFlag* stop) {
  std::string name;
  std::string args;
  {
    // One object per line, released before any device work begins.
    RegexObject regex;
    regex.Execute(kLinePattern, line);
    if (regex.SubMatchCount() != 2) return false;
    name = regex.SubMatchText(1, 1);
    args = regex.SubMatchText(1, 2);
  }
  const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                  [&](const ScriptCommand& c) { return c.name == name; });
  if (found == kCommands.end()) return true;
  if (describe) {
    callFormat = std::string(found->callFormat);
    return false;
  }
  if (args.empty()) return false;
  return Perform(adb, static_cast<int>(found - kCommands.begin()), args, stop);
}

}  // namespace lingqiao
