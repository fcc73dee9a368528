// One line of the script language: a Chinese command name followed by its arguments in ASCII
// parentheses, such as 屏幕点击(100,200). The interpreter either performs the line on one
// emulator's client (execute mode) or hands back the command's call-format text (describe
// mode, for the hint box).
#pragma once

#include <array>
#include <atomic>
#include <string>
#include <string_view>

namespace lingqiao {

class AdbClient;

// Set from another thread to end a run early; 延时 waits look at it while they wait.
using StopFlag = std::atomic<bool>;

struct ScriptCommand {
  std::string_view name;        // GBK
  std::string_view callFormat;  // GBK, lines joined by CR LF
};

// Group 1 is the command name (a run of CJK characters right before the first "("), group 2
// everything up to the first ")" after it.
extern const char kLinePattern[];

// The twelve commands in the order the interpreter compares names.
const std::array<ScriptCommand, 12>& ScriptCommands();

// Execute mode (`describe` false): true when the line was performed or names no known command,
// false when it fails (no match, empty arguments, wrong number of pieces, text not on screen).
// Describe mode: for a known name, `callFormat` becomes its text and the result is false; an
// unknown name gives true and a line that does not match gives false, `callFormat` untouched.
// Argument pieces reach the client exactly as written: no trimming, no quoting.
bool ExecuteScriptLine(AdbClient& adb, std::string_view line, std::string& callFormat,
                       bool describe, const StopFlag* stop = nullptr);

// Sleeps through the client's clock; a negative wait is a wait of 0. With a stop flag the
// wait is cut into short slices so that a stop takes effect within one slice.
void WaitScriptDelay(AdbClient& adb, int ms, const StopFlag* stop);

}  // namespace lingqiao
