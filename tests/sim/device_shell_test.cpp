#include <gtest/gtest.h>

#include "device_shell.h"
#include "journal.h"

namespace lingqiao::sim {
namespace {

class DeviceShellTest : public testing::Test {
 protected:
  ShellOutput Run(std::string_view line) { return DeviceShell(device_, font_).Run(line); }
  std::string Text(std::string_view line) { return Run(line).text; }
  // The effects as journal lines, which is how tests elsewhere see them.
  std::vector<std::string> Effects(std::string_view line) {
    std::vector<std::string> out;
    for (const Effect& e : Run(line).effects) out.push_back(JournalEffectLine(device_.port, e));
    return out;
  }

  Device device_{6555};
  LabelFont font_{{}};
};

struct OutputCase {
  const char* line;
  const char* text;
};

class DeviceShellOutput : public DeviceShellTest, public testing::WithParamInterface<OutputCase> {};

TEST_P(DeviceShellOutput, PrintsWhatTheAndroidToolPrints) { EXPECT_EQ(Text(GetParam().line), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Commands, DeviceShellOutput,
    testing::Values(
        OutputCase{"echo a  'b c'", "a b c\n"},
        OutputCase{"echo -n x", "x"},
        OutputCase{"getprop ro.product.model", "Lingqiao Sim\n"},
        OutputCase{"getprop no.such.prop", "\n"},
        OutputCase{"wm size", "Physical size: 720x1280\n"},
        OutputCase{"input tap 1 2", ""},
        OutputCase{"am start -n com.android.settings/.Settings", "Starting: Intent { cmp=com.android.settings/.Settings }\n"},
        OutputCase{"am start -n com.nope/.Main",
                   "Starting: Intent { cmp=com.nope/.Main }\nError type 3\n"
                   "Error: Activity class {com.nope/com.nope.Main} does not exist.\n"},
        OutputCase{"am broadcast -a ADB_INPUT_TEXT --es msg hi",
                   "Broadcasting: Intent { act=ADB_INPUT_TEXT flg=0x400000 (has extras) }\n"
                   "Broadcast completed: result=0\n"},
        OutputCase{"pm clear com.android.browser", "Success\n"},
        OutputCase{"pm clear com.nope", "Failed\n"},
        OutputCase{"pm uninstall com.nope", "Failure [not installed for 0]\n"},
        OutputCase{"pm uninstall com.android.settings", "Failure [DELETE_FAILED_INTERNAL_ERROR]\n"},
        OutputCase{"pm install -r /data/local/tmp/none.apk", "Failure [INSTALL_FAILED_INVALID_URI]\n"},
        OutputCase{"pm list packages adbkey", "package:com.android.adbkeyboard\n"},
        OutputCase{"uiautomator dump /sdcard/ui.xml", "UI hierchary dumped to: /sdcard/ui.xml\n"},
        OutputCase{"screencap -p /sdcard/jt.png", ""},
        OutputCase{"su -c  'mount -o remount,rw -t yaffs2 /dev/block/mtdblock3 /system' ", ""},
        OutputCase{"su -c echo 'a b'", "a b\n"},
        OutputCase{"rm /sdcard/none", "rm failed for /sdcard/none, No such file or directory\n"},
        OutputCase{"rm -f /sdcard/none", ""},
        OutputCase{"/system/bin/echo ok", "ok\n"},
        OutputCase{"frobnicate now", "/system/bin/sh: frobnicate: not found\n"},
        OutputCase{"echo a; echo b", "/system/bin/sh: syntax error: ';' is not supported\n"}));

TEST_F(DeviceShellTest, EffectsAreRecordedAsJournalLines) {
  EXPECT_EQ(Effects("input tap 100 200"), std::vector<std::string>{"{\"port\":6555,\"tap\":[100,200]}"});
  EXPECT_EQ(Effects("input swipe 1 2 300 400 100"),
            std::vector<std::string>{"{\"port\":6555,\"swipe\":[1,2,300,400,100]}"});
  EXPECT_EQ(Effects("input swipe 1 2 300 400"),
            std::vector<std::string>{"{\"port\":6555,\"swipe\":[1,2,300,400,300]}"});
  EXPECT_EQ(Effects("input keyevent 4 KEYCODE_HOME"),
            (std::vector<std::string>{"{\"port\":6555,\"key\":4}", "{\"port\":6555,\"key\":3}"}));
  EXPECT_EQ(Effects("input text hello%sworld"), std::vector<std::string>{"{\"port\":6555,\"text\":\"hello world\"}"});
  // Only the first word is typed.
  EXPECT_EQ(Effects("input text a b"), std::vector<std::string>{"{\"port\":6555,\"text\":\"a\"}"});
  EXPECT_EQ(Effects("am broadcast -a ADB_INPUT_TEXT --es msg '你好 世界'"),
            std::vector<std::string>{"{\"port\":6555,\"text\":\"你好 世界\"}"});
  EXPECT_EQ(Effects("am start -n com.android.browser/.BrowserActivity"),
            std::vector<std::string>{"{\"port\":6555,\"start\":\"com.android.browser/.BrowserActivity\"}"});
  EXPECT_EQ(Effects("pm clear com.android.browser"), std::vector<std::string>{"{\"port\":6555,\"clear\":\"com.android.browser\"}"});
  EXPECT_TRUE(Effects("pm clear com.nope").empty());
  EXPECT_TRUE(Effects("input tap x 2").empty());
}

TEST_F(DeviceShellTest, PushInstallMakesThePackageFromTheFileName) {
  device_.files.Write("/data/local/tmp/com.example.demo.apk", MemoryFile{"PK"});
  EXPECT_EQ(Effects("pm 'install' '-r' '/data/local/tmp/com.example.demo.apk'"),
            std::vector<std::string>{"{\"port\":6555,\"install\":\"com.example.demo\"}"});
  EXPECT_EQ(Text("pm list packages -3"), "package:com.android.adbkeyboard\npackage:com.example.demo\n");
  EXPECT_EQ(Text("pm install /data/local/tmp/com.example.demo.apk"),
            "Failure [INSTALL_FAILED_ALREADY_EXISTS: Attempt to re-install com.example.demo without first uninstalling.]\n");
  EXPECT_EQ(Text("rm '/data/local/tmp/com.example.demo.apk' </dev/null"), "");
  EXPECT_EQ(device_.files.Find("/data/local/tmp/com.example.demo.apk"), nullptr);
  EXPECT_EQ(Effects("pm 'uninstall' 'com.example.demo'"),
            std::vector<std::string>{"{\"port\":6555,\"uninstall\":\"com.example.demo\"}"});
  EXPECT_FALSE(device_.packages.IsInstalled("com.example.demo"));
}

TEST_F(DeviceShellTest, TheKeyboardBroadcastTypesOnlyWhileTheKeyboardAppIsInstalled) {
  Run("pm uninstall com.android.adbkeyboard");
  EXPECT_TRUE(Effects("am broadcast -a ADB_INPUT_TEXT --es msg hi").empty());
  EXPECT_NE(Text("am broadcast -a ADB_INPUT_TEXT --es msg hi").find("Broadcast completed: result=0"), std::string::npos);
}

TEST_F(DeviceShellTest, PropertiesAndScreenSizeCanBeSet) {
  EXPECT_EQ(Text("setprop debug.x 'a b'"), "");
  EXPECT_EQ(Text("getprop debug.x"), "a b\n");
  EXPECT_EQ(Text("setprop ro.product.model other"), "could not set property\n");
  EXPECT_EQ(Text("wm size 480x800"), "");
  EXPECT_EQ(Text("wm size"), "Physical size: 720x1280\nOverride size: 480x800\n");
  EXPECT_EQ(Text("wm size reset"), "");
  EXPECT_EQ(Text("wm size"), "Physical size: 720x1280\n");
}

TEST_F(DeviceShellTest, ScreencapAndDumpWriteTheirFiles) {
  Run("screencap -p /sdcard/jt.png");
  const MemoryFile* png = device_.files.Find("/sdcard/jt.png");
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
  Run("uiautomator dump");
  const MemoryFile* xml = device_.files.Find("/sdcard/window_dump.xml");
  ASSERT_NE(xml, nullptr);
  EXPECT_NE(xml->bytes.find("text=\"设置\""), std::string::npos);
  // Without a file the picture goes to the stream, as `adb exec-out screencap -p` wants it.
  EXPECT_EQ(Text("screencap -p").substr(0, 4), "\x89PNG");
}

TEST_F(DeviceShellTest, RedirectedOutputGoesToAFile) {
  EXPECT_EQ(Text("echo one > /sdcard/log"), "");
  Run("echo two >> /sdcard/log");
  EXPECT_EQ(Text("cat /sdcard/log"), "one\ntwo\n");
  EXPECT_EQ(Text("pm clear com.nope 2>/dev/null"), "");
}

TEST_F(DeviceShellTest, PsListsTheForegroundApp) {
  Run("am start -n com.android.settings/.Settings");
  const std::string ps = Text("ps");
  EXPECT_EQ(ps.rfind("USER ", 0), 0u);
  EXPECT_NE(ps.find(" com.android.settings\n"), std::string::npos);
  EXPECT_NE(ps.find(" com.android.adbkeyboard\n"), std::string::npos);
}

}  // namespace
}  // namespace lingqiao::sim
