// The client's console lines and its reading of the answers, with a console that runs nothing.
#include <gtest/gtest.h>

#include "device/adb_client.h"
#include "device/file_system.h"
#include "device/recording_console.h"

namespace lingqiao {
namespace {

using Lines = std::vector<std::string>;

struct Client {
  std::shared_ptr<CountingClock> clock = std::make_shared<CountingClock>(false);
  RecordingConsole* console;  // owned by adb
  std::unique_ptr<AdbClient> adb;

  explicit Client(RecordingConsole::Answerer answer = {}) {
    auto c = std::make_unique<RecordingConsole>(std::move(answer));
    console = c.get();
    adb = std::make_unique<AdbClient>(std::move(c), clock);
    adb->SetDeviceAddress("127.0.0.1:6555");
  }
  // Names adb as StartServer would, without its lines.
  void Named(const std::string& adbPath) {
    console->SetAnswerer([](const std::string&) { return std::string("Android Debug Bridge version 1.0.41"); });
    adb->StartServer(adbPath);
    console->ClearLines();
  }
};

std::string Sep() { return std::string(1, PathSeparator()); }

TEST(AdbClientLines, StartServerWritesDriveFolderStartAndVersion) {
  Client c([](const std::string& line) {
    return line.ends_with(" version") ? "Android Debug Bridge version 1.0.41\r\n" : "";
  });
  const std::string path = "C:" + Sep() + "F" + Sep() + "adb.exe";
  EXPECT_TRUE(c.adb->StartServer(path));
  EXPECT_EQ(c.console->Lines(), (Lines{"C:", "cd C:" + Sep() + "F" + Sep(), "adb start-server", "adb version"}));
  EXPECT_EQ(c.adb->GetAdbFileName(), "adb.exe");
  EXPECT_EQ(c.adb->GetAdbPath(), path);
}

TEST(AdbClientLines, StartServerWithoutDriveOrFolder) {
  Client c;
  EXPECT_FALSE(c.adb->StartServer("adb"));
  EXPECT_EQ(c.console->Lines(), (Lines{"cd ", "adb start-server", "adb version"}));
}

// A console whose version line comes only with its n-th read, as after a cold server start.
struct LateVersionConsole : RecordingConsole {
  int reads = 0;
  int versionAt;
  explicit LateVersionConsole(int at) : versionAt(at) {}
  std::string Read(int pause) override {
    std::string out = RecordingConsole::Read(pause);
    if (++reads == versionAt) out += "Android Debug Bridge version 1.0.41\r\n";
    return out;
  }
};

TEST(AdbClientLines, StartServerReadsOnUntilTheVersionLineOrTheLimit) {
  auto clock = std::make_shared<CountingClock>(false);
  AdbClient late(std::make_unique<LateVersionConsole>(40), clock);
  EXPECT_TRUE(late.StartServer("/opt/x/adb"));
  const int64_t lateMs = clock->PausedMs();
  EXPECT_GT(lateMs, 300 + 1000) << "read on past the first look";

  AdbClient never(std::make_unique<LateVersionConsole>(-1), clock);
  EXPECT_FALSE(never.StartServer("/opt/x/adb"));
  EXPECT_GE(clock->PausedMs() - lateMs, 10000);
  EXPECT_LE(clock->PausedMs() - lateMs, 10000 + 400);
}

TEST(AdbClientLines, StartServerStopsWhenThePromptIsBackWithoutTheVersion) {
  // adb missing: the interpreter answers each line with its error and its prompt.
  const std::string sep = Sep();
  const std::string folder = sep + "opt" + sep + "x";
  Client c([&](const std::string& line) {
    return line + "\r\n'adb' is not recognized\r\n\r\n" + folder + ">";
  });
  EXPECT_FALSE(c.adb->StartServer(folder + sep + "adb"));
  EXPECT_LT(c.clock->PausedMs(), 1000);
}

TEST(AdbClientLines, RunAdbCommandReturnsTheNewTextWhole) {
  Client c([](const std::string& line) { return "answer to " + line; });
  c.console->AddPendingOutput("0123456789");  // late output of an earlier command
  std::string out;
  EXPECT_EQ(c.adb->RunAdbCommand("adb devices", std::nullopt, &out), "answer to adb devices");
  EXPECT_EQ(out, "answer to adb devices");
  c.console->SetRunning(false);
  EXPECT_EQ(c.adb->RunAdbCommand("adb devices"), "");
}

TEST(AdbClientLines, ConnectCountsOnlyAlready) {
  int calls = 0;
  Client c([&](const std::string&) {
    return ++calls == 1 ? "connected to 127.0.0.1:6555\r\n" : "already connected to 127.0.0.1:6555\r\n";
  });
  c.Named("adb");
  c.console->SetAnswerer([&](const std::string&) {
    return ++calls == 1 ? "connected to 127.0.0.1:6555\r\n" : "already connected to 127.0.0.1:6555\r\n";
  });
  calls = 0;
  std::string error;
  EXPECT_FALSE(c.adb->Connect(error));
  EXPECT_EQ(error, "connected to 127.0.0.1:6555\r\n");
  calls = 0;
  EXPECT_TRUE(c.adb->ConnectDevice());
  EXPECT_EQ(c.console->Lines().size(), 3u);
  EXPECT_EQ(c.console->Lines()[0], "adb connect 127.0.0.1:6555");
}

TEST(AdbClientLines, ConnectDeviceGivesUpAfterTenAttempts) {
  Client c([](const std::string&) { return std::string("failed to connect to '127.0.0.1:6555': Connection refused"); });
  c.Named("adb");
  c.console->SetAnswerer([](const std::string&) { return std::string("failed"); });
  const int64_t before = c.clock->PausedMs();
  EXPECT_FALSE(c.adb->ConnectDevice());
  EXPECT_EQ(c.console->Lines().size(), 10u);
  EXPECT_EQ(c.clock->PausedMs() - before, 10 * (100 + 100));
}

TEST(AdbClientLines, DeviceCommands) {
  Client c;
  c.Named("adb.exe");
  const std::string connect = "adb connect 127.0.0.1:6555";
  const std::string head = "adb -s 127.0.0.1:6555";
  const std::string headExe = "adb.exe -s 127.0.0.1:6555";
  struct Case {
    const char* name;
    std::function<void(AdbClient&)> call;
    Lines lines;
  } cases[] = {
      {"tap", [](AdbClient& a) { a.Tap("100", "200"); }, {connect, head + " shell input tap 100 200"}},
      {"tap, blank", [](AdbClient& a) { a.Tap("100", " 200"); }, {connect, head + " shell input tap 100  200"}},
      {"tap, hostile", [](AdbClient& a) { a.Tap("1&calc", "2"); }, {connect, head + " shell input tap '1^&calc' 2"}},
      {"swipe", [](AdbClient& a) { a.Swipe("1", "2", "3", "4", 100); },
       {connect, head + " shell input swipe 1 2 3 4 100"}},
      {"key", [](AdbClient& a) { a.KeyEvent(3); }, {head + " shell input keyevent 3"}},
      {"text", [](AdbClient& a) { a.InputText("hello%sworld"); }, {connect, head + " shell input text hello%sworld"}},
      {"text, blanks", [](AdbClient& a) { a.InputText("a b"); }, {connect, head + " shell input text 'a^\" ^\"b'"}},
      {"keyboard", [](AdbClient& a) { a.InputTextByAdbKeyboard("你好 world"); },
       {connect, "adb shell am broadcast -a ADB_INPUT_TEXT --es msg '你好^\" ^\"world'"}},
      {"keyboard, plain", [](AdbClient& a) { a.InputTextByAdbKeyboard("abc"); },
       {connect, "adb shell am broadcast -a ADB_INPUT_TEXT --es msg 'abc'"}},
      {"remount", [](AdbClient& a) { a.RemountSystem(); },
       {headExe + " shell su -c  'mount -o remount,rw -t yaffs2 /dev/block/mtdblock3 /system' "}},
      {"clear", [](AdbClient& a) { a.ClearAppData("com.a.b"); }, {headExe + " shell pm clear com.a.b"}},
      {"uninstall", [](AdbClient& a) { a.UninstallApp("com.a.b"); }, {head + " shell pm uninstall com.a.b"}},
      {"pull", [](AdbClient& a) { a.PullFile("/sdcard/x", "/tmp/y"); }, {headExe + " pull /sdcard/x /tmp/y"}},
      {"start", [](AdbClient& a) { a.StartActivity("com.a", "com.a.Main"); },
       {"adb -s 127.0.0.1:6555 shell am start -n com.a/com.a.Main"}},
      {"packages", [](AdbClient& a) { a.ListPackages(); }, {head + " shell pm list packages"}},
      {"getprop", [](AdbClient& a) { a.GetProp("ro.x"); }, {"adb -s 127.0.0.1:6555 shell getprop ro.x"}},
      {"setprop", [](AdbClient& a) { a.SetProp("a.b", "1"); }, {"adb -s 127.0.0.1:6555 shell setprop a.b 1"}},
      {"ps", [](AdbClient& a) { a.ListProcesses(); }, {"adb shell ps"}},
      {"size", [](AdbClient& a) {
         std::string w, h;
         a.GetScreenSize(w, h);
       }, {head + " shell wm size"}},
  };
  for (const Case& k : cases) {
    c.console->ClearLines();
    k.call(*c.adb);
    EXPECT_EQ(c.console->Lines(), k.lines) << k.name;
  }
  std::string error;
  c.console->ClearLines();
  c.adb->InstallApk("C:\\my apps\\a.apk", error);
  EXPECT_EQ(c.console->Lines(), (Lines{head + " install -r C:\\my^\" ^\"apps\\a.apk"}));
}

TEST(AdbClientLines, SuccessWordsAndCleaning) {
  std::string answer;
  Client c;
  c.Named("adb");
  c.console->SetAnswerer([&](const std::string&) { return answer; });
  std::string error = "untouched";
  answer = "Performing Push Install\r\n";
  EXPECT_FALSE(c.adb->InstallApk("a.apk", error));
  EXPECT_EQ(error, "Performing Push Install\r\n");
  answer = "Success\r\n";
  error = "untouched";
  EXPECT_TRUE(c.adb->InstallApk("a.apk", error));
  EXPECT_EQ(error, "untouched");
  EXPECT_TRUE(c.adb->ClearAppData("p"));
  EXPECT_TRUE(c.adb->UninstallApp("p"));
  answer = "Failure [not installed for 0]\r\n";
  EXPECT_FALSE(c.adb->UninstallApp("p"));
  answer = "a: 1 file pulled, 0 skipped. (76808 bytes in 0.044s)\r\n";
  EXPECT_TRUE(c.adb->PullFile("a", "b"));
  answer = "Starting: Intent { cmp=p/.A }\r\n";
  EXPECT_FALSE(c.adb->StartActivity("p", ".A")) << "Starting on the first (echo) line only";
  answer = "echo\r\nStarting: Intent { cmp=p/.A }\r\n";
  EXPECT_TRUE(c.adb->StartActivity("p", ".A"));
  answer = "echo\r\npackage:a\r\npackage:b\r\n\r\nC:\\>";
  EXPECT_EQ(c.adb->ListPackages(), "a\r\nb");
  answer = "echo\r\nvalue\r\n\r\nC:\\>";
  EXPECT_EQ(c.adb->GetProp("x"), "value");
  answer = "echo\r\nPhysical size: 720x1280\r\n\r\nC:\\>";
  std::string w, h;
  EXPECT_TRUE(c.adb->GetScreenSize(w, h));
  EXPECT_EQ(w, " 720");
}

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + "pixels" + std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12);

TEST(AdbClientScreen, CaptureTakesOnlyAWholeFileAndRemovesIt) {
  std::string content = kPng;
  Client c;
  c.Named("adb");
  c.console->SetAnswerer([&](const std::string& line) {
    const size_t pull = line.find(" pull /sdcard/jt.png ");
    if (pull != std::string::npos) WriteWholeFile(line.substr(pull + 21), content);
    return std::string();
  });
  EXPECT_EQ(c.adb->CaptureScreen(), kPng);
  const std::string folder = c.adb->PullFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.find(TempFolder()), 0u);
  EXPECT_FALSE(FileExists(folder + "jt.png"));
  const Lines lines = c.console->Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "adb -s 127.0.0.1:6555 shell screencap -p /sdcard/jt.png");
  EXPECT_EQ(lines[1], "adb -s 127.0.0.1:6555 pull /sdcard/jt.png " + folder + "jt.png");

  // A copy still partial at the time-out gives nothing.
  content = kPng.substr(0, kPng.size() - 3);
  const int64_t before = c.clock->PausedMs();
  EXPECT_EQ(c.adb->CaptureScreen(), "");
  EXPECT_GT(c.clock->PausedMs() - before, 3000 + 300);
  EXPECT_LE(c.clock->PausedMs() - before, 3000 + 300 + 200);
}

TEST(AdbClientScreen, NoDeviceTimesOutAndTwoClientsKeepApart) {
  Client a, b;
  a.Named("adb");
  b.Named("adb");
  const int64_t before = a.clock->PausedMs();
  EXPECT_EQ(a.adb->CaptureScreen(), "");
  EXPECT_GT(a.clock->PausedMs() - before, 3000);
  EXPECT_EQ(a.adb->DumpUi(500), "");
  EXPECT_NE(a.adb->PullFolder(), b.adb->PullFolder());
  const std::string folder = a.adb->PullFolder();
  a.adb.reset();
  EXPECT_FALSE(FileExists(folder + "ui.xml"));
}

TEST(AdbClientScreen, TapTextTapsTheCentreOfTheNode) {
  const std::string dump =
      "<?xml version='1.0' ?><hierarchy><node text=\"\xE8\xAE\xBE\xE7\xBD\xAE\" bounds=\"[0,0][101,51]\" />"
      "</hierarchy>";
  Client c;
  c.Named("adb");
  c.console->SetAnswerer([&](const std::string& line) {
    const size_t pull = line.find(" pull /sdcard/ui.xml ");
    if (pull != std::string::npos) WriteWholeFile(line.substr(pull + 21), dump);
    return std::string(line.find("connect") != std::string::npos ? "already connected" : "");
  });
  EXPECT_TRUE(c.adb->TapText("设置"));
  Lines lines = c.console->Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "adb -s 127.0.0.1:6555 shell uiautomator dump /sdcard/ui.xml");
  EXPECT_EQ(lines[3], "adb -s 127.0.0.1:6555 shell input tap 51 26");
  c.console->ClearLines();
  EXPECT_FALSE(c.adb->TapText("浏览器"));
  EXPECT_EQ(c.console->Lines().size(), 2u) << "no tap";
}

}  // namespace
}  // namespace lingqiao
