// The fake adb run as the real program: what it logs, what it answers, what it remembers.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "fake_adb_fixture.h"
#include "test_process_posix.h"

namespace lingqiao {
namespace {

using Call = std::vector<std::string>;
using test_process::Options;
using test_process::Result;
using test_process::RunProgram;
using test_process::TempFolder;

Result Adb(const std::vector<std::string>& args, const std::filesystem::path& cwd = {}) {
  return RunProgram(FakeAdbFixture::AdbProgram(), args, {}, {.cwd = cwd});
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(FakeAdbProgram, LogsTheFolderAndEveryArgumentAsGiven) {
  FakeAdbFixture fake;
  TempFolder dir;
  const Call args{"-s", "127.0.0.1:6555", "shell", "input", "text", "a b", "\"q\"", "\xE4\xB8\xAD\xE6\x96\x87",
                  "back\\slash", "", "line\nbreak"};
  EXPECT_EQ(Adb(args, dir.Path()).exitCode, 0);
  EXPECT_EQ(Adb({"version"}, dir.Path()).exitCode, 0);
  Call first{dir.Path().string()};
  first.insert(first.end(), args.begin(), args.end());
  EXPECT_EQ(fake.ReadCalls(), (std::vector<Call>{first, {dir.Path().string(), "version"}}));

  fake.ClearCalls();
  EXPECT_TRUE(fake.ReadCalls().empty());
}

TEST(FakeAdbProgram, WorksWithoutItsVariables) {
  TempFolder dir;
  const Result r = RunProgram(FakeAdbFixture::AdbProgram(), {"version"}, {},
                       {.cwd = dir.Path(), .env = {{"LINGQIAO_FAKE_ADB_LOG", std::nullopt},
                                                   {"LINGQIAO_FAKE_ADB_RULES", std::nullopt}}});
  EXPECT_EQ(r.out, "Android Debug Bridge version 1.0.41\nVersion 29.0.6-fake\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(FakeAdbProgram, AnswersFromTheFirstMatchingRule) {
  FakeAdbFixture fake;
  fake.WriteRules({
      {.args = {"-s", "*", "shell", "pm", "clear", "*"}, .stdoutText = "Success\n"},
      {.args = {"-s", "*", "shell", "**"}, .stderrText = "error: device offline\n", .exitCode = 1},
      {.args = {"version"}, .stdoutText = "Android Debug Bridge version 9\n", .delayMs = 20},
  });
  const struct {
    std::vector<std::string> args;
    const char* out;
    const char* err;
    int exitCode;
  } cases[] = {
      {{"-s", "d:1", "shell", "pm", "clear", "com.x"}, "Success\n", "", 0},
      {{"-s", "d:1", "shell", "wm", "size"}, "", "error: device offline\n", 1},
      {{"version"}, "Android Debug Bridge version 9\n", "", 0},
      {{"install", "-r", "a.apk"}, "", "", 0},
  };
  for (const auto& c : cases) {
    const Result r = Adb(c.args);
    EXPECT_EQ(r.out, c.out) << ::testing::PrintToString(c.args);
    EXPECT_EQ(r.err, c.err) << ::testing::PrintToString(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << ::testing::PrintToString(c.args);
  }
  EXPECT_EQ(fake.ReadCalls().size(), 4u);
}

TEST(FakeAdbProgram, SaysAlreadyConnectedOnlyFromTheSecondConnectOn) {
  FakeAdbFixture fake;
  EXPECT_EQ(Adb({"connect", "127.0.0.1:6555"}).out, "connected to 127.0.0.1:6555\n");
  EXPECT_EQ(Adb({"connect", "127.0.0.1:6555"}).out, "already connected to 127.0.0.1:6555\n");
  EXPECT_EQ(Adb({"devices"}).out, "List of devices attached\n127.0.0.1:6555\tdevice\n\n");
  Adb({"kill-server"});
  EXPECT_EQ(Adb({"connect", "127.0.0.1:6555"}).out, "connected to 127.0.0.1:6555\n");
}

TEST(FakeAdbProgram, MaxUsesLetsAConnectFailBeforeItSucceeds) {
  FakeAdbFixture fake;
  fake.WriteRules({{.args = {"connect", "*"}, .stdoutText = "failed to connect to 127.0.0.1:6555\n", .maxUses = 1}});
  EXPECT_EQ(Adb({"connect", "127.0.0.1:6555"}).out, "failed to connect to 127.0.0.1:6555\n");
  EXPECT_EQ(Adb({"connect", "127.0.0.1:6555"}).out, "connected to 127.0.0.1:6555\n");
  EXPECT_EQ(Adb({"connect", "127.0.0.1:6555"}).out, "already connected to 127.0.0.1:6555\n");
}

TEST(FakeAdbProgram, ReportsAMalformedRulesFileAndItsLine) {
  FakeAdbFixture fake;
  fake.WriteRulesText("{\"args\":[\"version\"]}\n{\"args\":[\"x\"],\"stdot\":\"\"}\n");
  const Result r = Adb({"version"});
  EXPECT_EQ(r.err, "fake adb: " + PathToUtf8(fake.RulesPath()) + ": line 2: unknown member \"stdot\"\n");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(fake.ReadCalls().size(), 1u);  // the call is logged all the same
}

TEST(FakeAdbProgram, PullCopiesTheCannedFileToTheLocalPath) {
  FakeAdbFixture fake;
  const auto source = fake.Folder() / "screen.png";
  const std::string content = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(1000, '\0') + "end";
  WriteText(source, content);
  WriteText(fake.Folder() / "empty", "");
  fake.WriteRules({
      {.args = {"-s", "*", "pull", "/sdcard/jt.png", "*"}, .pullFrom = PathToUtf8(source)},
      {.args = {"pull", "/sdcard/ui.xml", "**"}, .stdoutText = "", .pullFrom = PathToUtf8(source)},
      {.args = {"pull", "/sdcard/empty"}, .pullFrom = PathToUtf8(fake.Folder() / "empty")},
      {.args = {"pull", "/sdcard/gone", "*"}, .pullFrom = PathToUtf8(fake.Folder() / "missing")},
  });
  TempFolder dir;
  std::filesystem::create_directory(dir.Path() / "into");

  Result r = Adb({"-s", "127.0.0.1:6555", "pull", "/sdcard/jt.png", "jt.png"}, dir.Path());
  EXPECT_EQ(r.out, "/sdcard/jt.png: 1 file pulled, 0 skipped. 1.0 MB/s (1011 bytes in 0.001s)\n");
  EXPECT_EQ(ReadText(dir.Path() / "jt.png"), content);

  r = Adb({"pull", "/sdcard/ui.xml", "into"}, dir.Path());  // a folder: the file goes inside
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadText(dir.Path() / "into" / "ui.xml"), content);

  r = Adb({"pull", "/sdcard/empty"}, dir.Path());
  EXPECT_EQ(r.out, "/sdcard/empty: 1 file pulled, 0 skipped.\n");
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "empty"));

  r = Adb({"pull", "/sdcard/gone", "x"}, dir.Path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("cannot read"), std::string::npos);
}

TEST(FakeAdbProgram, PartialFirstLeavesAHalfWrittenFileForAWhile) {
  FakeAdbFixture fake;
  const auto source = fake.Folder() / "ui.xml";
  const std::string content(4000, 'x');
  WriteText(source, content);
  fake.WriteRules({{.args = {"pull", "**"}, .pullFrom = PathToUtf8(source), .partialFirstMs = 1500}});
  TempFolder dir;
  const auto target = dir.Path() / "ui.xml";
  std::uintmax_t firstSeen = 0;
  std::thread watcher([&] {
    // The first size above zero is what the first write left; the program sleeps after it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::error_code ec;
    while (std::chrono::steady_clock::now() < deadline) {
      const auto size = std::filesystem::file_size(target, ec);
      if (!ec && size > 0) {
        firstSeen = size;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  const Result r = Adb({"pull", "/sdcard/ui.xml", PathToUtf8(target)});
  watcher.join();
  EXPECT_EQ(firstSeen, 2000u);
  EXPECT_EQ(ReadText(target), content);
  EXPECT_EQ(r.exitCode, 0);
}

TEST(FakeAdbFixture, PutsTheVariablesBackWhenDone) {
  auto variable = [](const char* name) -> std::optional<std::string> {
    const char* v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
  };
  const auto before = variable("LINGQIAO_FAKE_ADB_LOG");
  std::filesystem::path folder;
  {
    FakeAdbFixture fake;
    folder = fake.Folder();
    EXPECT_EQ(std::string(std::getenv("LINGQIAO_FAKE_ADB_LOG")), PathToUtf8(fake.LogPath()));
    EXPECT_EQ(std::string(std::getenv("LINGQIAO_FAKE_ADB_RULES")), PathToUtf8(fake.RulesPath()));
    EXPECT_TRUE(std::filesystem::is_regular_file(FakeAdbFixture::AdbProgram()));
  }
  EXPECT_EQ(variable("LINGQIAO_FAKE_ADB_LOG"), before);
  EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
}  // namespace lingqiao
