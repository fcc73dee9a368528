#include "fake_adb_fixture.h"

#include <fstream>
#include <random>
#include <sstream>

#include "fake-adb/fake_adb_json.h"
#include "fake_adb_fixture_platform.h"

namespace lingqiao {
namespace {

constexpr const char* kLogVariable = "LINGQIAO_FAKE_ADB_LOG";
constexpr const char* kRulesVariable = "LINGQIAO_FAKE_ADB_RULES";

std::filesystem::path MakeFreshFolder() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  while (true) {  // a name already taken just means another draw
    const auto name = "lingqiao-fake-adb-" + std::to_string(random()) + "-" + std::to_string(random());
    std::error_code ec;
    if (std::filesystem::create_directory(base / name, ec)) return base / name;
  }
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

FakeAdbFixture::FakeAdbFixture()
    : folder_(MakeFreshFolder()),
      savedLog_(fixture_platform::GetVariable(kLogVariable)),
      savedRules_(fixture_platform::GetVariable(kRulesVariable)) {
  fixture_platform::SetVariable(kLogVariable, PathToUtf8(LogPath()));
  fixture_platform::SetVariable(kRulesVariable, PathToUtf8(RulesPath()));
}

FakeAdbFixture::~FakeAdbFixture() {
  fixture_platform::SetVariable(kLogVariable, savedLog_);
  fixture_platform::SetVariable(kRulesVariable, savedRules_);
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

void FakeAdbFixture::WriteRules(const std::vector<FakeAdbRule>& rules) const {
  std::string text;
  for (const FakeAdbRule& rule : rules) text += fake_adb::FormatRule(rule) + "\n";
  WriteRulesText(text);
}

void FakeAdbFixture::WriteRulesText(std::string_view jsonLines) const { WriteFile(RulesPath(), jsonLines); }

std::vector<std::vector<std::string>> FakeAdbFixture::ReadCalls() const {
  std::vector<std::vector<std::string>> calls;
  std::istringstream in(ReadFile(LogPath()));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    // A line that does not read back still counts as a call, so that it shows in a failure.
    calls.push_back(fake_adb::ParseStringArray(line).value_or(std::vector<std::string>{"unreadable: " + line}));
  }
  return calls;
}

void FakeAdbFixture::ClearCalls() const {
  std::error_code ec;
  std::filesystem::remove(LogPath(), ec);
  std::filesystem::path state = LogPath();
  state += ".state";
  std::filesystem::remove(state, ec);
}

std::filesystem::path FakeAdbFixture::AdbFolder() {
  return fixture_platform::RunningProgramPath().parent_path() / "fake-adb";
}

std::filesystem::path FakeAdbFixture::AdbProgram() {
  return AdbFolder() / fixture_platform::ProgramFileName("adb");
}

}  // namespace lingqiao
