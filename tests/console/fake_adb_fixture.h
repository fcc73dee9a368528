// The fake adb for tests of other parts: a fresh folder with its log and rules files, the
// two environment variables pointing at them, and the calls read back from the log.
//
//   lingqiao::FakeAdbFixture fake;                       // before the console is started
//   fake.WriteRules({{.args = {"-s", "127.0.0.1:6555", "shell", "wm", "size"},
//                     .stdoutText = "Physical size: 720x1280\n"}});
//   ... run "adb ..." lines with FakeAdbFixture::AdbFolder() as the current folder ...
//   EXPECT_EQ(fake.ReadCalls()[0], (std::vector<std::string>{folder, "version"}));
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fake-adb/fake_adb_rules.h"

namespace lingqiao {

using FakeAdbRule = fake_adb::Rule;

class FakeAdbFixture {
 public:
  // Makes the folder and sets LINGQIAO_FAKE_ADB_LOG and LINGQIAO_FAKE_ADB_RULES in this
  // process's environment, which the programs it starts from now on inherit.
  FakeAdbFixture();
  // Puts the two variables back as they were and removes the folder.
  ~FakeAdbFixture();
  FakeAdbFixture(const FakeAdbFixture&) = delete;
  FakeAdbFixture& operator=(const FakeAdbFixture&) = delete;

  // A folder of the test's own, for files to pull from and to, and the like.
  const std::filesystem::path& Folder() const { return folder_; }
  std::filesystem::path LogPath() const { return folder_ / "calls.jsonl"; }
  std::filesystem::path RulesPath() const { return folder_ / "rules.jsonl"; }

  // Replaces the rules; the next call of the fake adb reads them.
  void WriteRules(const std::vector<FakeAdbRule>& rules) const;
  void WriteRulesText(std::string_view jsonLines) const;

  // Every call logged so far, in order: {cwd, arg1, arg2, ...}, UTF-8.
  std::vector<std::vector<std::string>> ReadCalls() const;
  // Forgets the calls and what the fake remembers (connected devices, rules used).
  void ClearCalls() const;

  // <folder of the running test program>/fake-adb, and the program in it (adb or adb.exe).
  static std::filesystem::path AdbFolder();
  static std::filesystem::path AdbProgram();

 private:
  std::filesystem::path folder_;
  std::optional<std::string> savedLog_;
  std::optional<std::string> savedRules_;
};

// A path as the UTF-8 text the fake adb's files hold.
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace lingqiao
