// The fake adb: logs each call and answers from canned rules.
//   LINGQIAO_FAKE_ADB_LOG    file that gets one line per call: [cwd, arg1, arg2, ...]
//                            (and, beside it, LOG.state: what connect and the rules remember)
//   LINGQIAO_FAKE_ADB_RULES  rules file, JSON Lines (see fake_adb_rules.h)
// Either may be missing: no log is written, and only the built-in answers are given.
#include <string>

#include "fake_adb_json.h"
#include "fake_adb_rules.h"
#include "fake_adb_system.h"

using namespace lingqiao::fake_adb;

namespace {

int Pull(const Answer& answer, std::string& report) {
  const std::optional<std::string> content = ReadWholeFile(answer.pullFrom);
  if (!content) {
    WriteStandardError("fake adb: cannot read \"pull_from\" file '" + answer.pullFrom + "'\n");
    return 1;
  }
  std::string target = answer.pullTo;
  if (IsFolder(target)) {
    const char sep = target.find('\\') != std::string::npos && target.find('/') == std::string::npos ? '\\' : '/';
    if (target.back() != '/' && target.back() != '\\') target.push_back(sep);
    target += BaseName(answer.pullRemote);
  }
  bool ok;
  if (answer.partialFirstMs > 0) {
    // A half-written file for a while, as a reader polling for it may see one.
    const size_t half = content->size() / 2;
    ok = WriteWholeFile(target, std::string_view(*content).substr(0, half));
    SleepMilliseconds(answer.partialFirstMs);
    ok = ok && AppendToFile(target, std::string_view(*content).substr(half));
  } else {
    ok = WriteWholeFile(target, *content);
  }
  if (!ok) {
    WriteStandardOutput("adb: error: cannot create '" + target + "'\n");
    return 1;
  }
  if (answer.reportPull) report = PullReport(answer.pullRemote, content->size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const Invocation call = CurrentInvocation(argc, argv);
  const std::optional<std::string> log = GetVariable("LINGQIAO_FAKE_ADB_LOG");
  if (log) {
    std::vector<std::string> entry{call.cwd};
    entry.insert(entry.end(), call.args.begin(), call.args.end());
    AppendToFile(*log, JsonArray(entry) + "\n");
  }

  std::vector<Rule> rules;
  if (const std::optional<std::string> rulesPath = GetVariable("LINGQIAO_FAKE_ADB_RULES")) {
    // A rules file not written yet means no rules.
    if (const std::optional<std::string> text = ReadWholeFile(*rulesPath)) {
      std::string error;
      if (!ParseRules(*text, rules, error)) {
        WriteStandardError("fake adb: " + *rulesPath + ": " + error + "\n");
        return 2;
      }
    }
  }

  State state;
  const std::string statePath = log ? *log + ".state" : std::string();
  if (log) state = ParseState(ReadWholeFile(statePath).value_or(""));

  Answer answer = Decide(rules, call.args, call.cwd, state);
  if (log && !answer.stateLines.empty()) {
    std::string lines;
    for (const std::string& l : answer.stateLines) lines += l + "\n";
    AppendToFile(statePath, lines);
  }
  if (answer.delayMs > 0) SleepMilliseconds(answer.delayMs);
  if (!answer.pullFrom.empty()) {
    std::string report;
    if (Pull(answer, report) != 0) return 1;
    if (answer.reportPull) answer.stdoutText = report;
  }
  if (!answer.stdoutText.empty()) WriteStandardOutput(answer.stdoutText);
  if (!answer.stderrText.empty()) WriteStandardError(answer.stderrText);
  return answer.exitCode;
}
