// What the fake adb answers: canned rules first, then a few defaults that make the ordinary
// start-up of a client work without any rules (version, connect, devices).
//
// Rules file: JSON Lines, one object a line, blank lines skipped, the first rule that
// matches wins. Members (only "args" is required; any other name is an error):
//   "args":             ["-s","127.0.0.1:6555","shell","input","tap","*","*"]
//                       the whole argument list; "*" matches one argument, a last "**"
//                       matches any number of them (none too)
//   "stdout", "stderr": text to print
//   "exit":             exit code (0)
//   "delay_ms":         pause before answering (0)
//   "pull_from":        for "pull REMOTE [LOCAL]": a file copied to LOCAL
//   "partial_first_ms": with "pull_from": write the first half of the file, wait this
//                       long, then write the rest (0: all at once)
//   "max_uses":         the rule matches only this many times, then is passed over (0: no limit)
// A pull rule without "stdout" prints adb's own report ("R: 1 file pulled, 0 skipped. ...
// (N bytes in ...)").
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lingqiao::fake_adb {

// Every member has an initializer, so that tests can name only the ones they need
// ({.args = {...}, .stdoutText = "..."}) without warnings.
struct Rule {
  std::vector<std::string> args{};
  std::optional<std::string> stdoutText{};
  std::string stderrText{};
  int exitCode = 0;
  int delayMs = 0;
  std::string pullFrom{};
  int partialFirstMs = 0;
  int maxUses = 0;
};

// Reads a rules file. On failure `error` names the line ("line 3: ...").
bool ParseRules(std::string_view text, std::vector<Rule>& rules, std::string& error);

// The rule as one line of a rules file (without its line break); ParseRules reads it back.
std::string FormatRule(const Rule& rule);

bool MatchesPattern(const std::vector<std::string>& pattern, const std::vector<std::string>& args);

// What earlier calls left behind (kept in a file beside the log): the devices "connect"
// has connected, and how often each rule has been used. One entry a line:
//   "connected H:P", "disconnected H:P", "reset" (kill-server, disconnect all),
//   "used N" (rule N, counted from 1 in the order of the rules file).
struct State {
  std::vector<std::string> connected;
  std::map<int, int> uses;
};
State ParseState(std::string_view text);

struct Answer {
  std::string stdoutText;
  std::string stderrText;
  int exitCode = 0;
  int delayMs = 0;
  std::string pullFrom;     // not empty: copy this file to pullTo
  std::string pullRemote;
  std::string pullTo;       // a folder there means the remote file's name inside it
  int partialFirstMs = 0;
  bool reportPull = false;  // stdoutText is to be adb's pull report
  std::vector<std::string> stateLines;  // to add to the state
};

// The answer to one call made in folder `cwd`.
Answer Decide(const std::vector<Rule>& rules, const std::vector<std::string>& args,
              std::string_view cwd, const State& state);

// adb's line after a pull of `size` bytes.
std::string PullReport(std::string_view remote, std::uint64_t size);

// The last part of a path, "/" and "\" both counting as separators.
std::string BaseName(std::string_view path);

// Line ends as a Windows program writes them to a text stream: each lone LF becomes CR LF.
std::string ToCrLf(std::string_view text);

}  // namespace lingqiao::fake_adb
