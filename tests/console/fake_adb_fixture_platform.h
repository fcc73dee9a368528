// The few things FakeAdbFixture needs of the platform.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace lingqiao::fixture_platform {

std::filesystem::path RunningProgramPath();
// UTF-8 names and values; nothing means unset.
std::optional<std::string> GetVariable(const char* name);
void SetVariable(const char* name, const std::optional<std::string>& value);
std::string ProgramFileName(const char* stem);  // "adb" here, "adb.exe" on Windows

}  // namespace lingqiao::fixture_platform
