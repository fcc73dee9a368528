#include <windows.h>

#include <cstdlib>

#include "fake_adb_fixture_platform.h"

namespace lingqiao::fixture_platform {
namespace {

std::wstring Wide(const std::string& utf8) { return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring(); }

}  // namespace

std::filesystem::path RunningProgramPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  while (true) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) return std::filesystem::path(buffer.substr(0, n));
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<std::string> GetVariable(const char* name) {
  const std::wstring wname = Wide(name);
  const DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (n == 0) return std::nullopt;
  std::wstring value(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(wname.c_str(), value.data(), n);
  value.resize(got);
  const std::u8string u8 = std::filesystem::path(value).u8string();
  return std::string(u8.begin(), u8.end());
}

void SetVariable(const char* name, const std::optional<std::string>& value) {
  // The process environment is what CreateProcess hands on; the C runtime's copy follows
  // for code in the test that reads getenv.
  const std::wstring wname = Wide(name);
  const std::wstring wvalue = value ? Wide(*value) : std::wstring();
  SetEnvironmentVariableW(wname.c_str(), value ? wvalue.c_str() : nullptr);
  _wputenv_s(wname.c_str(), wvalue.c_str());
}

std::string ProgramFileName(const char* stem) { return std::string(stem) + ".exe"; }

}  // namespace lingqiao::fixture_platform
