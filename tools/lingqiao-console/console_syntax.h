// How the console host reads a typed line, as pure functions: the same rules the Windows
// command interpreter applies, so that a console line written by the device layer means the
// same thing on Linux as under "cmd" (the lines carry quotes meant for the device's shell,
// which /bin/sh would eat).
//
// Order of work on one line: ExpandVariables, then ParseLine (carets, quotes, operators,
// redirections), then for each simple command ClassifyCommand and, for a program,
// SplitCommandLine and FindProgram.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lingqiao::console {

// The value of an environment variable, or nothing when it is not defined.
using VariableLookup = std::function<std::optional<std::string>(std::string_view name)>;

// Replaces each %NAME% whose NAME is defined; an undefined one stays as it stands, and its
// closing "%" may open the next reference (the interpreter's rule for typed lines, where
// "%%" is not collapsed either). Runs on the whole line before anything else, quotes or not.
std::string ExpandVariables(std::string_view line, const VariableLookup& lookup);

struct Redirection {
  enum class Kind { kRead, kWrite, kAppend, kDuplicate };
  int handle = 1;        // 0 standard input, 1 output, 2 errors
  Kind kind = Kind::kWrite;
  std::string target;    // file name, quotes removed (kRead, kWrite, kAppend)
  int otherHandle = 1;   // kDuplicate: "2>&1" makes handle 2 a copy of handle 1
};

struct SimpleCommand {
  // The command as a program receives its command line: carets outside quotes removed,
  // quotes kept, redirections cut out (the blanks around them stay, as in the interpreter:
  // "echo a >x" prints "a " into x).
  std::string text;
  std::vector<Redirection> redirections;  // in the order written; applied in that order
};

// How a pipeline joins the one before it: "&" always, "&&" after success, "||" after failure.
enum class Joiner { kAlways, kIfSucceeded, kIfFailed };

struct Pipeline {
  Joiner joiner = Joiner::kAlways;
  std::vector<SimpleCommand> commands;  // joined by "|"
};

struct ParsedLine {
  std::vector<Pipeline> pipelines;  // empty for a blank line
  std::string error;                // the interpreter's message for a malformed line
};

// Splits an expanded line at the operators outside double quotes: "&", "&&", "||", "|",
// "<", ">", ">>", "N>", "N>>", "N>&M". "^" outside quotes makes the next character plain.
ParsedLine ParseLine(std::string_view line);

enum class Builtin { kNone, kEcho, kCd, kExit, kDrive };

struct CommandName {
  Builtin builtin = Builtin::kNone;
  // For a program: the first word, quotes removed. For a built-in command: its rest, the
  // text after the command name and one delimiter ("echo.x" gives "x", "cd.." gives "..").
  std::string word;
  bool bare = false;            // the built-in's name stood alone ("echo", "cd")
  bool blankDelimiter = false;  // a blank, not "." or ":", followed the name
};

// Tells built-in commands (echo, cd, chdir, exit, a drive such as "C:") from programs.
// Leading blanks and "@" are skipped.
CommandName ClassifyCommand(std::string_view text);

// The folder "cd" is given: the rest of the line, quotes removed, trailing blanks trimmed,
// a leading "/d " switch dropped. Empty means "show the current folder".
std::string CdFolder(std::string_view rest);

struct EchoAction {
  enum class Kind { kPrint, kShowState, kSetOn, kSetOff };
  Kind kind = Kind::kPrint;
  std::string text;  // kPrint: the line to print, without its line break
};

// What "echo" does with its rest; `bare` and `rest` as ClassifyCommand gives them.
// `blankDelimiter` is false for the forms "echo." and "echo:", which always print.
EchoAction ParseEcho(std::string_view rest, bool bare, bool blankDelimiter);

// The code "exit" ends with: its first number (after an optional "/b"), else 0.
int ParseExitCode(std::string_view rest);

// Splits a command line into arguments as CommandLineToArgvW does: blanks separate,
// double quotes group and are removed, "" inside quotes is one quote, and backslashes only
// matter before a quote (2n backslashes and a quote give n and a grouping quote, 2n+1 give n
// and a literal quote). The first word follows the simpler rule for program names: it ends
// at the first blank outside quotes and has its quotes removed, backslashes kept.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Where the program that `name` names is: the current folder first, then each folder of
// `pathVariable` (":"-separated; empty entries skipped). "adb.exe" also finds "adb" and
// "adb" also finds "adb.exe". A name holding "/" is looked up only as a path from the
// current folder. `isProgram` tells whether a file is there and runnable.
std::optional<std::string> FindProgram(std::string_view name, std::string_view currentFolder,
                                       std::string_view pathVariable,
                                       const std::function<bool(const std::string&)>& isProgram);

// Turns LF into CR LF across the pieces of one stream; a CR LF already there stays as it is.
class LineEndTranslator {
 public:
  std::string Translate(std::string_view piece);

 private:
  bool lastWasCr_ = false;
};

}  // namespace lingqiao::console
