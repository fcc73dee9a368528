// What the fake adb needs of the system, with every text and path in UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lingqiao::fake_adb {

struct Invocation {
  std::string cwd;
  std::vector<std::string> args;  // without the program's own name
};

// The current folder and the arguments of this call. On Windows they come from the wide
// command line, whatever the ANSI code page is; argc and argv are used elsewhere.
Invocation CurrentInvocation(int argc, char** argv);

// An environment variable; nothing when it is not set or empty.
std::optional<std::string> GetVariable(const char* name);

std::optional<std::string> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, std::string_view bytes);
// One write at the end of the file, so lines of calls made at the same time do not mix.
bool AppendToFile(const std::string& path, std::string_view bytes);
bool IsFolder(const std::string& path);

// Standard output and errors. On Windows each lone LF goes out as CR LF, as a Windows
// program's text output does.
void WriteStandardOutput(std::string_view bytes);
void WriteStandardError(std::string_view bytes);

void SleepMilliseconds(int ms);

}  // namespace lingqiao::fake_adb
