// Word splitting of the device shell's command lines, as a POSIX shell does it: blanks separate
// words; single quotes keep everything; double quotes keep everything but \$ \` \" \\ and a
// backslash-newline; an unquoted backslash keeps the next character. adb's push install sends
// "rm '/data/local/tmp/x.apk' </dev/null", so simple redirections are understood as well.
// Lists and pipes are refused: no command the tool sends needs them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lingqiao::sim {

struct ShellLine {
  std::vector<std::string> words;
  std::string stdoutFile;     // ">F" or ">>F"; empty: the stream
  bool appendStdout = false;  // ">>"
  std::string stderrFile;     // "2>F"; "2>&1" leaves it empty, as does no redirection
  std::string error;          // not empty: the line was refused with this message
};

ShellLine SplitShellWords(std::string_view line);

// A command line of words, each quoted for the shell where it needs it; the inverse of the above.
std::string JoinShellWords(const std::vector<std::string>& words);

}  // namespace lingqiao::sim
