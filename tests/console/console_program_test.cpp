// The console host run as the real program through pipes, the way the device layer uses it.
#include <gtest/gtest.h>

#include <fstream>

#include "fake_adb_fixture.h"
#include "test_process_posix.h"

namespace lingqiao {
namespace {

using test_process::BinFolder;
using test_process::Options;
using test_process::Result;
using test_process::RunProgram;
using test_process::Session;
using test_process::TempFolder;
using test_process::WriteScript;

const std::string kBanner = "Lingqiao Console [Version 1.0]\r\n\r\n";
const std::string kNotRecognized =
    "' is not recognized as an internal or external command,\r\noperable program or batch file.\r\n";

std::filesystem::path Console() { return BinFolder() / "lingqiao-console"; }

std::string Prompt(const std::filesystem::path& folder) { return folder.string() + ">"; }

void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(ConsoleProgram, EchoesEachLineAfterThePromptAndEndsItsOutputWithABlankLine) {
  TempFolder dir;
  const Result r = RunProgram(Console(), {}, "echo hello\r\necho  two  words\r\nexit\r\n", {.cwd = dir.Path()});
  const std::string p = Prompt(dir.Path());
  // Each command's part of the stream is: echoed line, value line(s), empty line, prompt,
  // which is what the client's trimming (first line off, then the last line twice) expects.
  EXPECT_EQ(r.out, kBanner + p + "echo hello\r\nhello\r\n\r\n" + p + "echo  two  words\r\n two  words\r\n\r\n" + p +
                       "exit\r\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exitCode, 0);
}

TEST(ConsoleProgram, TakesLinesWithOrWithoutCarriageReturnAndALastLineWithoutBreak) {
  TempFolder dir;
  const Result r = RunProgram(Console(), {}, "echo a\n\r\necho b", {.cwd = dir.Path()});
  const std::string p = Prompt(dir.Path());
  // A blank line gets a fresh prompt and no blank line of its own.
  EXPECT_EQ(r.out, kBanner + p + "echo a\r\na\r\n\r\n" + p + "\r\n" + p + "echo b\r\nb\r\n\r\n" + p);
  EXPECT_EQ(r.exitCode, 0);
}

TEST(ConsoleProgram, CdChangesTheFolderForLaterLinesAndReportsMissingOnes) {
  TempFolder dir;
  const auto sub = dir.Path() / "sub dir";
  std::filesystem::create_directory(sub);
  WriteText(dir.Path() / "file", "x");
  const std::string p0 = Prompt(dir.Path());
  const std::string p1 = Prompt(sub);
  const Result r = RunProgram(Console(), {},
                       "cd\r\ncd sub dir/  \r\ncd\r\ncd /no/such/folder\r\nC:\r\ncd ..\r\ncd \"sub dir\"\r\n"
                       "cd.. & cd file\r\nchdir\r\n",
                       {.cwd = dir.Path()});
  EXPECT_EQ(r.out, kBanner + p0 + "cd\r\n" + dir.Path().string() + "\r\n\r\n" +  //
                       p0 + "cd sub dir/  \r\n\r\n" +                                 //
                       p1 + "cd\r\n" + sub.string() + "\r\n\r\n" +                    //
                       p1 + "cd /no/such/folder\r\nThe system cannot find the path specified.\r\n\r\n" +  //
                       p1 + "C:\r\n\r\n" +                                            //
                       p1 + "cd ..\r\n\r\n" +                                         //
                       p0 + "cd \"sub dir\"\r\n\r\n" +                                //
                       p1 + "cd.. & cd file\r\nThe directory name is invalid.\r\n\r\n" +  //
                       p0 + "chdir\r\n" + dir.Path().string() + "\r\n\r\n" + p0);
}

TEST(ConsoleProgram, RunsOneLineWithSlashCFollowingTheInterpretersRules) {
  TempFolder dir;
  WriteText(dir.Path() / "in.txt", "from file\n");
  const std::string missing = "'lq-no-such-program" + kNotRecognized;
  const struct {
    std::string line;
    std::string out;
    int exitCode;
  } cases[] = {
      {"echo hello", "hello\r\n", 0},
      {"echo a & echo b", "a \r\nb\r\n", 0},
      {"echo", "ECHO is on.\r\n", 0},
      {"echo.", "\r\n", 0},
      // %NAME% is replaced when defined (in any case), left as typed when not.
      {"echo %LQ_VALUE% %lq_value% %LQ_UNSET% 100%", "value value %LQ_UNSET% 100%\r\n", 0},
      {"printenv LQ_VALUE", "value\r\n", 0},  // programs get the console's environment
      {"echo a ^& b ^| c ^^", "a & b | c ^\r\n", 0},
      {"echo \"a & b\" ^\"x\"", "\"a & b\" \"x\"\r\n", 0},
      // Arguments are split by the Windows rules; single quotes are the device shell's.
      {"printf [%s] \"a b\" c 'd e'", "[a b][c]['d][e']", 0},
      {"printf [%s] a\\\"b \"x\\\\\"", "[a\"b][x\\]", 0},
      {"printf [%s] \xE4\xB8\xAD\xE6\x96\x87", "[\xE4\xB8\xAD\xE6\x96\x87]", 0},
      // LF becomes CR LF, a lone last LF too; a CR LF stays as it is.
      {"printf \"a\\nb\\n\"", "a\r\nb\r\n", 0},
      {"printf \"a\\r\\nb\"", "a\r\nb", 0},
      // Output and errors share one stream, in the order written.
      {"sh -c \"echo 1; echo 2 1>&2; echo 3\"", "1\r\n2\r\n3\r\n", 0},
      {"echo hi| tr a-z A-Z", "HI\r\n", 0},
      {"printf \"x\\ny\\n\" | sort -r | tr a-z A-Z", "Y\r\nX\r\n", 0},
      {"echo one>out.txt& echo two>>out.txt& cat out.txt", "one\r\ntwo\r\n", 0},
      {"cat < in.txt", "from file\r\n", 0},
      {"cat <no-such-file", "The system cannot find the file specified.\r\n", 1},
      {"sh -c \"echo out; echo err >&2\" >both.txt 2>&1& cat both.txt", "out\r\nerr\r\n", 0},
      {"sh -c \"echo out; echo err >&2\" 2>&1 >out-only.txt& cat out-only.txt", "err\r\nout\r\n", 0},
      {"false && echo no", "", 1},
      {"false || echo yes", "yes\r\n", 0},
      {"true || echo no", "", 0},
      {"true && echo yes", "yes\r\n", 0},
      // The interpreter's 9009 does not fit a Linux exit status: /c ends with 255 instead.
      {"lq-no-such-program x", missing, 255},
      {"lq-no-such-program || echo recovered", missing + "recovered\r\n", 0},
      {"no/such/folder/adb version", "The system cannot find the path specified.\r\n", 255},
      {"cat", "", 0},  // programs read /dev/null, not the console's input
      {"sh -c \"exit 7\"", "", 7},
      {"exit 3", "", 3},
      {"exit", "", 0},
      {"echo a & exit 5 & echo never", "a \r\n", 5},
      {"& echo x", "& was unexpected at this time.\r\n", 255},
      {"C:", "", 0},
      {"cd", dir.Path().string() + "\r\n", 0},
  };
  for (const auto& c : cases) {
    const Result r = RunProgram(Console(), {"/c", c.line}, {}, {.cwd = dir.Path(), .env = {{"LQ_VALUE", "value"}}});
    EXPECT_EQ(r.out, c.out) << c.line;
    EXPECT_EQ(r.exitCode, c.exitCode) << c.line;
  }
}

TEST(ConsoleProgram, KeepsTheInterpretersStatusForLaterLines) {
  TempFolder dir;
  const Result r = RunProgram(Console(), {}, "lq-no-such-program\r\necho %ERRORLEVEL%\r\nsh -c \"exit 300\"\r\n",
                              {.cwd = dir.Path()});
  const std::string p = Prompt(dir.Path());
  EXPECT_EQ(r.out, kBanner + p + "lq-no-such-program\r\n'lq-no-such-program" + kNotRecognized + "\r\n" + p +
                       "echo %ERRORLEVEL%\r\n9009\r\n\r\n" + p + "sh -c \"exit 300\"\r\n\r\n" + p);
  EXPECT_EQ(r.exitCode, 44);  // what sh's "exit 300" left: 300 taken modulo 256 by the system
}

TEST(ConsoleProgram, LooksForProgramsInTheCurrentFolderThenInPath) {
  TempFolder dir;
  TempFolder bin;
  TempFolder elsewhere;
  WriteScript(dir.Path() / "tool", "echo here\n");
  WriteText(dir.Path() / "plain", "not a program");
  WriteScript(bin.Path() / "tool", "echo path\n");
  WriteScript(bin.Path() / "other.exe", "echo other\n");
  WriteScript(bin.Path() / "plain", "echo plain from path\n");
  const std::string path = bin.Path().string() + ":/usr/bin:/bin";
  const struct {
    const TempFolder& cwd;
    const char* line;
    const char* out;
  } cases[] = {
      {dir, "tool", "here\r\n"},
      {dir, "tool.exe", "here\r\n"},
      {dir, "other", "other\r\n"},
      {dir, "other.exe", "other\r\n"},
      {dir, "plain", "plain from path\r\n"},  // a file that cannot run is passed over
      {dir, "./tool", "here\r\n"},
      {elsewhere, "tool", "path\r\n"},
  };
  for (const auto& c : cases) {
    const Result r = RunProgram(Console(), {"/c", c.line}, {}, {.cwd = c.cwd.Path(), .env = {{"PATH", path}}});
    EXPECT_EQ(r.out, c.out) << c.line;
  }
}

TEST(ConsoleProgram, PassesOnWhatAProgramLeftRunningWritesLater) {
  TempFolder dir;
  Session console(Console(), {}, {.cwd = dir.Path()});
  const std::string p = Prompt(dir.Path());
  // The background job holds the console's output pipe; the line still ends when sh does.
  const std::string line = "sh -c \"(while [ ! -e go ]; do sleep 0.02; done; echo late) &\"";
  console.Write(line + "\r\n");
  ASSERT_TRUE(console.ReadUntil(p + line + "\r\n\r\n" + p)) << console.Output();
  EXPECT_EQ(console.Output().find(p + "late"), std::string::npos);
  WriteText(dir.Path() / "go", "");
  ASSERT_TRUE(console.ReadUntil(p + "late\r\n")) << console.Output();
  console.Write("echo after\r\nexit 4\r\n");
  EXPECT_EQ(console.Wait(), 4);
  EXPECT_EQ(console.Output(), kBanner + p + line + "\r\n\r\n" + p + "late\r\necho after\r\nafter\r\n\r\n" + p +
                                  "exit 4\r\n");
}

TEST(ConsoleProgram, EchoOffLeavesOutPromptsAndEchoes) {
  TempFolder dir;
  const Result r = RunProgram(Console(), {}, "echo off\r\necho quiet\r\necho\r\necho on\r\necho loud\r\n", {.cwd = dir.Path()});
  const std::string p = Prompt(dir.Path());
  EXPECT_EQ(r.out, kBanner + p + "echo off\r\nquiet\r\nECHO is off.\r\n" + p + "echo loud\r\nloud\r\n\r\n" + p);
}

TEST(ConsoleProgram, RunsDebiansAdbFoundInPath) {
  if (!std::filesystem::exists("/usr/bin/adb")) GTEST_SKIP() << "Debian's adb is not installed";
  TempFolder dir;
  // "version" never reaches a server, so none is started; the settings keep it so if it did.
  const Result r = RunProgram(Console(), {"/c", "adb version"}, {},
                              {.cwd = dir.Path(),
                               .env = {{"HOME", dir.Path().string()},
                                       {"ANDROID_ADB_SERVER_PORT", "1"},
                                       {"ADB_MDNS", "0"},
                                       {"ADB_USB", "0"},
                                       {"ADB_EMU", "0"}}});
  EXPECT_NE(r.out.find("Android Debug Bridge version"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\r\n"), std::string::npos);
  EXPECT_EQ(r.exitCode, 0);
}

TEST(ConsoleProgram, DrivesTheFakeAdbTheWayTheClientDoes) {
  FakeAdbFixture fake;
  fake.WriteRules({{.args = {"-s", "127.0.0.1:6555", "shell", "wm", "size"}, .stdoutText = "Physical size: 720x1280\n"}});
  TempFolder dir;
  Session console(Console(), {}, {.cwd = dir.Path()});
  const std::string adbFolder = FakeAdbFixture::AdbFolder().string();
  const std::string p0 = Prompt(dir.Path());
  const std::string p = adbFolder + ">";
  const std::string lines[] = {
      "C:",
      "cd " + adbFolder + "/",
      "adb start-server",
      "adb version",
      "adb connect 127.0.0.1:6555",
      "adb connect 127.0.0.1:6555",
      "adb.exe -s 127.0.0.1:6555 shell wm size",
      "adb -s 127.0.0.1:6555 shell am broadcast -a ADB_INPUT_TEXT --es msg '\xE4\xB8\xAD a' \"b c\"",
  };
  for (const std::string& line : lines) console.Write(line + "\r\n");
  console.Write("exit\r\n");
  EXPECT_EQ(console.Wait(), 0);
  EXPECT_EQ(console.Output(),
            kBanner + p0 + "C:\r\n\r\n" + p0 + lines[1] + "\r\n\r\n" + p + "adb start-server\r\n\r\n" + p +
                "adb version\r\nAndroid Debug Bridge version 1.0.41\r\nVersion 29.0.6-fake\r\n\r\n" + p +
                "adb connect 127.0.0.1:6555\r\nconnected to 127.0.0.1:6555\r\n\r\n" + p +
                "adb connect 127.0.0.1:6555\r\nalready connected to 127.0.0.1:6555\r\n\r\n" + p + lines[6] +
                "\r\nPhysical size: 720x1280\r\n\r\n" + p + lines[7] + "\r\n\r\n" + p + "exit\r\n");
  const auto calls = fake.ReadCalls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[0], (std::vector<std::string>{adbFolder, "start-server"}));
  EXPECT_EQ(calls[4], (std::vector<std::string>{adbFolder, "-s", "127.0.0.1:6555", "shell", "wm", "size"}));
  EXPECT_EQ(calls[5], (std::vector<std::string>{adbFolder, "-s", "127.0.0.1:6555", "shell", "am", "broadcast", "-a",
                                                "ADB_INPUT_TEXT", "--es", "msg", "'\xE4\xB8\xAD", "a'", "b c"}));
}

}  // namespace
}  // namespace lingqiao
