#include "fake_adb_rules.h"

#include <algorithm>
#include <cmath>

#include "fake_adb_json.h"

namespace lingqiao::fake_adb {
namespace {

bool ReadInt(const JsonValue& v, int& out) {
  if (v.kind != JsonValue::Kind::kNumber || v.number != std::floor(v.number) ||
      std::fabs(v.number) > 2147483647.0) {
    return false;
  }
  out = static_cast<int>(v.number);
  return true;
}

bool ParseRuleLine(std::string_view line, Rule& rule, std::string& error) {
  const std::optional<JsonValue> value = ParseJson(line, error);
  if (!value) return false;
  if (value->kind != JsonValue::Kind::kObject) {
    error = "a rule is a JSON object";
    return false;
  }
  bool sawArgs = false;
  for (size_t i = 0; i < value->keys.size(); ++i) {
    const std::string& key = value->keys[i];
    const JsonValue& v = value->items[i];
    auto text = [&](std::string& out) {
      if (v.kind != JsonValue::Kind::kString) {
        error = "\"" + key + "\" must be a string";
        return false;
      }
      out = v.text;
      return true;
    };
    auto number = [&](int& out, int least) {
      if (!ReadInt(v, out) || out < least) {
        error = "\"" + key + "\" must be a whole number" + (least == 0 ? " of 0 or more" : "");
        return false;
      }
      return true;
    };
    bool ok = true;
    if (key == "args") {
      sawArgs = true;
      if (v.kind != JsonValue::Kind::kArray) {
        error = "\"args\" must be an array of strings";
        return false;
      }
      for (size_t k = 0; k < v.items.size(); ++k) {
        const JsonValue& item = v.items[k];
        if (item.kind != JsonValue::Kind::kString) {
          error = "\"args\" must be an array of strings";
          return false;
        }
        if (item.text == "**" && k + 1 != v.items.size()) {
          error = "\"**\" may only end \"args\"";
          return false;
        }
        rule.args.push_back(item.text);
      }
    } else if (key == "stdout") {
      std::string s;
      ok = text(s);
      rule.stdoutText = s;
    } else if (key == "stderr") {
      ok = text(rule.stderrText);
    } else if (key == "exit") {
      ok = number(rule.exitCode, -2147483647);
    } else if (key == "delay_ms") {
      ok = number(rule.delayMs, 0);
    } else if (key == "pull_from") {
      ok = text(rule.pullFrom);
    } else if (key == "partial_first_ms") {
      ok = number(rule.partialFirstMs, 0);
    } else if (key == "max_uses") {
      ok = number(rule.maxUses, 0);
    } else {
      error = "unknown member \"" + key + "\"";
      return false;
    }
    if (!ok) return false;
  }
  if (!sawArgs) {
    error = "a rule needs \"args\"";
    return false;
  }
  return true;
}

// Options of adb that come before the command word; these take a value.
bool OptionTakesValue(std::string_view option) {
  return option == "-s" || option == "-t" || option == "-H" || option == "-P" || option == "-L";
}

size_t CommandIndex(const std::vector<std::string>& args) {
  size_t i = 0;
  while (i < args.size() && args[i].size() > 1 && args[i][0] == '-') {
    i += OptionTakesValue(args[i]) ? 2 : 1;
  }
  return i;
}

bool IsAbsolute(std::string_view path) {
  if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
  return path.size() >= 2 && path[1] == ':';
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  // The folder's own separator: "\" in a Windows folder, "/" elsewhere.
  const char sep = folder.find('\\') != std::string_view::npos && folder.find('/') == std::string_view::npos ? '\\' : '/';
  std::string out(folder);
  if (!out.empty() && out.back() != '/' && out.back() != '\\') out.push_back(sep);
  out += name;
  return out;
}

void DefaultAnswer(const std::vector<std::string>& args, size_t cmd, const State& state, Answer& a) {
  if (cmd >= args.size()) return;
  const std::string& word = args[cmd];
  auto isConnected = [&](const std::string& serial) {
    return std::find(state.connected.begin(), state.connected.end(), serial) != state.connected.end();
  };
  if (word == "version") {
    a.stdoutText = "Android Debug Bridge version 1.0.41\nVersion 29.0.6-fake\n";
  } else if (word == "connect") {
    if (cmd + 1 >= args.size()) {
      a.stderrText = "adb: usage: adb connect HOST[:PORT]\n";
      a.exitCode = 1;
      return;
    }
    std::string serial = args[cmd + 1];
    if (serial.find(':') == std::string::npos) serial += ":5555";
    // adb says "already connected" only from the second attempt on.
    if (isConnected(serial)) {
      a.stdoutText = "already connected to " + serial + "\n";
    } else {
      a.stdoutText = "connected to " + serial + "\n";
      a.stateLines.push_back("connected " + serial);
    }
  } else if (word == "disconnect") {
    if (cmd + 1 >= args.size()) {
      a.stdoutText = "disconnected everything\n";
      a.stateLines.push_back("reset");
      return;
    }
    std::string serial = args[cmd + 1];
    if (serial.find(':') == std::string::npos) serial += ":5555";
    if (isConnected(serial)) {
      a.stdoutText = "disconnected " + serial + "\n";
      a.stateLines.push_back("disconnected " + serial);
    } else {
      a.stderrText = "error: no such device '" + serial + "'\n";
      a.exitCode = 1;
    }
  } else if (word == "devices") {
    a.stdoutText = "List of devices attached\n";
    for (const std::string& serial : state.connected) a.stdoutText += serial + "\tdevice\n";
    a.stdoutText += "\n";
  } else if (word == "kill-server") {
    a.stateLines.push_back("reset");
  }
}

}  // namespace

bool ParseRules(std::string_view text, std::vector<Rule>& rules, std::string& error) {
  rules.clear();
  size_t start = 0;
  int lineNumber = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    Rule rule;
    std::string lineError;
    if (!ParseRuleLine(line, rule, lineError)) {
      error = "line " + std::to_string(lineNumber) + ": " + lineError;
      rules.clear();
      return false;
    }
    rules.push_back(std::move(rule));
  }
  return true;
}

std::string FormatRule(const Rule& rule) {
  std::string out = "{\"args\":" + JsonArray(rule.args);
  if (rule.stdoutText) out += ",\"stdout\":" + JsonQuote(*rule.stdoutText);
  if (!rule.stderrText.empty()) out += ",\"stderr\":" + JsonQuote(rule.stderrText);
  if (rule.exitCode != 0) out += ",\"exit\":" + std::to_string(rule.exitCode);
  if (rule.delayMs != 0) out += ",\"delay_ms\":" + std::to_string(rule.delayMs);
  if (!rule.pullFrom.empty()) out += ",\"pull_from\":" + JsonQuote(rule.pullFrom);
  if (rule.partialFirstMs != 0) out += ",\"partial_first_ms\":" + std::to_string(rule.partialFirstMs);
  if (rule.maxUses != 0) out += ",\"max_uses\":" + std::to_string(rule.maxUses);
  out += "}";
  return out;
}

bool MatchesPattern(const std::vector<std::string>& pattern, const std::vector<std::string>& args) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == "**" && i + 1 == pattern.size()) return true;
    if (i >= args.size()) return false;
    if (pattern[i] != "*" && pattern[i] != args[i]) return false;
  }
  return pattern.size() == args.size();
}

State ParseState(std::string_view text) {
  State state;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == "reset") {
      state.connected.clear();
    } else if (line.starts_with("connected ")) {
      const std::string serial(line.substr(10));
      if (std::find(state.connected.begin(), state.connected.end(), serial) == state.connected.end()) {
        state.connected.push_back(serial);
      }
    } else if (line.starts_with("disconnected ")) {
      const std::string serial(line.substr(13));
      state.connected.erase(std::remove(state.connected.begin(), state.connected.end(), serial),
                            state.connected.end());
    } else if (line.starts_with("used ")) {
      int n = 0;
      for (const char c : line.substr(5)) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
      }
      ++state.uses[n];
    }
  }
  return state;
}

Answer Decide(const std::vector<Rule>& rules, const std::vector<std::string>& args,
              std::string_view cwd, const State& state) {
  Answer a;
  const size_t cmd = CommandIndex(args);
  for (size_t r = 0; r < rules.size(); ++r) {
    const Rule& rule = rules[r];
    if (!MatchesPattern(rule.args, args)) continue;
    const int number = static_cast<int>(r) + 1;
    if (rule.maxUses > 0) {
      const auto used = state.uses.find(number);
      if (used != state.uses.end() && used->second >= rule.maxUses) continue;
      a.stateLines.push_back("used " + std::to_string(number));
    }
    a.stdoutText = rule.stdoutText.value_or("");
    a.stderrText = rule.stderrText;
    a.exitCode = rule.exitCode;
    a.delayMs = rule.delayMs;
    if (!rule.pullFrom.empty()) {
      std::vector<std::string> paths;
      if (cmd < args.size() && args[cmd] == "pull") {
        for (size_t i = cmd + 1; i < args.size(); ++i) {
          if (!(args[i].size() > 1 && args[i][0] == '-')) paths.push_back(args[i]);
        }
      }
      if (paths.empty()) {
        a.stdoutText.clear();
        a.stderrText = "fake adb: \"pull_from\" needs a call \"pull REMOTE [LOCAL]\"\n";
        a.exitCode = 1;
        return a;
      }
      a.pullFrom = rule.pullFrom;
      a.pullRemote = paths.front();
      const std::string local = paths.size() >= 2 ? paths.back() : BaseName(paths.front());
      a.pullTo = IsAbsolute(local) ? local : JoinPath(cwd, local);
      a.partialFirstMs = rule.partialFirstMs;
      a.reportPull = !rule.stdoutText.has_value();
    }
    return a;
  }
  DefaultAnswer(args, cmd, state, a);
  return a;
}

std::string PullReport(std::string_view remote, std::uint64_t size) {
  std::string out(remote);
  out += ": 1 file pulled, 0 skipped.";
  // adb leaves out the rate and size when the file was empty.
  if (size > 0) out += " 1.0 MB/s (" + std::to_string(size) + " bytes in 0.001s)";
  out += "\n";
  return out;
}

std::string BaseName(std::string_view path) {
  const size_t sep = path.find_last_of("/\\");
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string ToCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  char previous = '\0';
  for (const char c : text) {
    if (c == '\n' && previous != '\r') out.push_back('\r');
    out.push_back(c);
    previous = c;
  }
  return out;
}

}  // namespace lingqiao::fake_adb
