#include <unistd.h>

#include <cstdlib>

#include "fake_adb_fixture_platform.h"

namespace lingqiao::fixture_platform {

std::filesystem::path RunningProgramPath() { return std::filesystem::read_symlink("/proc/self/exe"); }

std::optional<std::string> GetVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

void SetVariable(const char* name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name, value->c_str(), 1);
  } else {
    unsetenv(name);
  }
}

std::string ProgramFileName(const char* stem) { return stem; }

}  // namespace lingqiao::fixture_platform
