// The console and the client through the platform's real interpreter (cmd under Wine, our
// console host here) with the fake adb at the far end. Windows children start about as slowly
// as a pause lasts, so the assertions there are on what the fake was called with, not on
// answers that a pause may or may not have caught.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "device/adb_client.h"
#include "device/console_command.h"
#include "device/file_system.h"
#include "fake_adb_fixture.h"
#include "text/encoding.h"

namespace lingqiao {
namespace {

using Args = std::vector<std::string>;

std::string Gbk(const std::filesystem::path& p) { return Utf8ToGbk(PathToUtf8(p)); }

// Reads until `want` has arrived or a few seconds have passed.
std::string ReadUntil(Console& console, const std::string& want, int limitMs = 8000) {
  std::string out;
  for (int waited = 0; waited < limitMs && out.find(want) == std::string::npos; waited += 20) {
    out += console.Read();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return out;
}

// A line that runs the fake adb from wherever the console is.
std::string FakeLine(const std::string& args) { return Gbk(FakeAdbFixture::AdbProgram()) + " " + args; }

TEST(ConsoleCommandReal, LateOutputComesWithTheNextRead) {
  FakeAdbFixture fake;
  fake.WriteRules({{.args = {"late"}, .stdoutText = "LATE-ANSWER\n", .delayMs = 1500}});
  ConsoleCommand console;
  ASSERT_TRUE(console.IsRunning());
  ASSERT_TRUE(console.Write(FakeLine("late")));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(console.Read().find("LATE-ANSWER"), std::string::npos);
  EXPECT_NE(ReadUntil(console, "LATE-ANSWER").find("LATE-ANSWER"), std::string::npos);
}

TEST(ConsoleCommandReal, PiecesOf256BytesEachAfterAPauseAndAZeroByteCutsItsPiece) {
  FakeAdbFixture fake;
  fake.WriteRules({{.args = {"big"}, .stdoutText = std::string(1000, 'a') + "END\n"},
                   {.args = {"zero"}, .stdoutText = std::string("abc\0def\n", 8)}});
  auto clock = std::make_shared<CountingClock>(false);
  ConsoleCommand console(clock);
  ASSERT_TRUE(console.Write(FakeLine("big")));
  // Wait until all of it is in the pipe, without taking it out.
  std::this_thread::sleep_for(std::chrono::milliseconds(3000));
  const std::string all = console.Read(10);
  EXPECT_NE(all.find(std::string(1000, 'a') + "END"), std::string::npos);
  EXPECT_EQ(clock->Pauses(), static_cast<int64_t>((all.size() + 255) / 256));
  EXPECT_EQ(clock->PausedMs(), 10 * clock->Pauses());

  ASSERT_TRUE(console.Write(FakeLine("zero")));
  const std::string cut = ReadUntil(console, "abc", 8000);
  EXPECT_NE(cut.find("abc"), std::string::npos);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ((cut + console.Read()).find("def"), std::string::npos);
}

TEST(ConsoleCommandReal, ExitEndsTheInterpreterForGood) {
  ConsoleCommand console;
  ASSERT_TRUE(console.Write("exit"));
  for (int i = 0; i < 400 && console.IsRunning(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(console.IsRunning());
  EXPECT_FALSE(console.Write("echo x"));
  EXPECT_EQ(console.Read(), "");
}

TEST(RunCommandOnceReal, ReturnsAllOutputOrNothing) {
  FakeAdbFixture fake;
  std::string big;
  for (int i = 0; i < 300; ++i) big += "line" + std::to_string(i) + "\n";
  fake.WriteRules({{.args = {"big"}, .stdoutText = big}, {.args = {"silent"}, .stdoutText = ""}});
  const std::string out = RunCommandOnce(FakeLine("big"));
  EXPECT_GT(out.size(), 1023u);
  EXPECT_NE(out.find("line0"), std::string::npos);
  EXPECT_LT(out.find("line0"), out.find("line299"));
  EXPECT_EQ(RunCommandOnce(FakeLine("silent")), "");
}

// Wine's cmd reads a pipe a buffer at a time and keeps only the first line of what it read,
// so a line that arrives while it is still busy with the one before is lost (Windows' own cmd
// queues them). Under Wine the client's pauses are stretched so that each line is taken alone.
#ifdef _WIN32
constexpr int kStretch = 6;
constexpr int kInterpreterStartMs = 2000;
#else
constexpr int kStretch = 1;
constexpr int kInterpreterStartMs = 0;
#endif

class StretchedClock : public RealClock {
 public:
  void Sleep(int ms) override { RealClock::Sleep(ms * kStretch); }
};

// A client started on the fake adb, as the program starts on the real one.
struct FakeClient {
  FakeAdbFixture fake;
  std::string folder = PathToUtf8(FakeAdbFixture::AdbFolder());
  std::unique_ptr<AdbClient> adb;

  explicit FakeClient(const std::vector<FakeAdbRule>& rules = {}) {
    fake.WriteRules(rules);
    // After the fixture: the console keeps the environment it started with.
    adb = std::make_unique<AdbClient>(std::make_shared<StretchedClock>());
    adb->SetDeviceAddress("127.0.0.1:6555");
    std::this_thread::sleep_for(std::chrono::milliseconds(kInterpreterStartMs));
  }
  // The calls' arguments without the folder, which must be the fake's.
  std::vector<Args> Calls() const {
    std::vector<Args> calls;
    for (Args call : fake.ReadCalls()) {
      EXPECT_EQ(std::filesystem::path(call.at(0)), std::filesystem::path(folder));
      call.erase(call.begin());
      calls.push_back(call);
    }
    return calls;
  }
  // Waits until the fake has been called `n` times in all.
  std::vector<Args> CallsWhenThere(size_t n) const {
    for (int i = 0; i < 400 && fake.ReadCalls().size() < n; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return Calls();
  }
};

TEST(AdbClientReal, StartServerAndConnect) {
  FakeClient c;
  EXPECT_TRUE(c.adb->StartServer(Gbk(FakeAdbFixture::AdbProgram())));
  EXPECT_EQ(c.CallsWhenThere(2), (std::vector<Args>{{"start-server"}, {"version"}}));
  c.fake.ClearCalls();
  c.adb->ConnectDevice();
  const auto calls = c.CallsWhenThere(2);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], (Args{"connect", "127.0.0.1:6555"}));
}

TEST(AdbClientReal, ArgumentsArriveAsTheWordsIntended) {
  FakeClient c;
  ASSERT_TRUE(c.adb->StartServer(Gbk(FakeAdbFixture::AdbProgram())));
  c.CallsWhenThere(2);
  c.fake.ClearCalls();
  const std::string nasty = "a b&c|d<e>f^g(h)\"i'j%PATH%k%s!";
  const std::string apk = Gbk(c.fake.Folder() / "my & apps (1)" / "a b.apk");
  c.adb->InputText(nasty);
  c.adb->InputTextByAdbKeyboard("你好 it's");
  c.adb->Tap("100", " 200");
  c.adb->ClearAppData("com.x&y");
  std::string error;
  c.adb->InstallApk(apk, error);
  const auto calls = c.CallsWhenThere(8);
  const std::string addr = "127.0.0.1:6555";
  const std::vector<Args> want = {
      {"connect", addr},
      {"-s", addr, "shell", "input", "text", "'a b&c|d<e>f^g(h)\"i'\\''j%PATH%k%s!'"},
      {"connect", addr},
      {"shell", "am", "broadcast", "-a", "ADB_INPUT_TEXT", "--es", "msg", "'\xE4\xBD\xA0\xE5\xA5\xBD it'\\''s'"},
      {"connect", addr},
      {"-s", addr, "shell", "input", "tap", "100", "200"},
      {"-s", addr, "shell", "pm", "clear", "'com.x&y'"},
      {"-s", addr, "install", "-r", PathToUtf8(c.fake.Folder() / "my & apps (1)" / "a b.apk")},
  };
  EXPECT_EQ(calls, want);
}

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(5000, 'p') +
                         std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12);

TEST(AdbClientReal, CaptureWaitsForTheWholeCopy) {
  FakeClient c;
  const auto source = c.fake.Folder() / "screen.png";
  WriteWholeFile(Gbk(source), kPng);
  c.fake.WriteRules({{.args = {"-s", "127.0.0.1:6555", "pull", "/sdcard/jt.png", "*"},
                     .pullFrom = PathToUtf8(source), .partialFirstMs = 700}});
  ASSERT_TRUE(c.adb->StartServer(Gbk(FakeAdbFixture::AdbProgram())));
  EXPECT_EQ(c.adb->CaptureScreen(), kPng);
  EXPECT_FALSE(FileExists(c.adb->PullFolder() + "jt.png"));
}

}  // namespace
}  // namespace lingqiao
