#include "shell_words.h"

namespace lingqiao::sim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

enum class Redirect { kNone, kIn, kOut, kAppend, kErr };

class Splitter {
 public:
  explicit Splitter(std::string_view line) : line_(line) {}

  ShellLine Run() {
    while (result_.error.empty()) {
      while (at_ < line_.size() && IsBlank(line_[at_])) ++at_;
      if (at_ >= line_.size()) break;
      if (line_[at_] == '#') break;  // a comment runs to the end of the line
      Redirect redirect = ReadRedirect();
      if (!result_.error.empty()) break;
      if (redirect == Redirect::kNone) {
        std::string word;
        if (ReadWord(word)) result_.words.push_back(std::move(word));
        continue;
      }
      if (redirect == Redirect::kErr && line_.substr(at_, 2) == "&1") {
        at_ += 2;
        continue;
      }
      while (at_ < line_.size() && IsBlank(line_[at_])) ++at_;
      std::string target;
      if (at_ >= line_.size() || !ReadWord(target) || target.empty()) {
        if (result_.error.empty()) result_.error = "syntax error: missing redirection target";
        break;
      }
      if (redirect == Redirect::kOut || redirect == Redirect::kAppend) {
        result_.stdoutFile = target;
        result_.appendStdout = redirect == Redirect::kAppend;
      } else if (redirect == Redirect::kErr) {
        result_.stderrFile = target;
      }
    }
    if (!result_.error.empty()) result_.words.clear();
    return std::move(result_);
  }

 private:
  Redirect ReadRedirect() {
    std::string_view rest = line_.substr(at_);
    auto take = [&](std::size_t n, Redirect r) {
      at_ += n;
      return r;
    };
    if (rest.substr(0, 2) == "2>") return take(2, Redirect::kErr);
    if (rest.substr(0, 2) == ">>") return take(2, Redirect::kAppend);
    if (rest.substr(0, 1) == ">") return take(1, Redirect::kOut);
    if (rest.substr(0, 1) == "<") return take(1, Redirect::kIn);
    return Redirect::kNone;
  }

  // Reads one word from a non-blank character; false when the line was refused.
  bool ReadWord(std::string& word) {
    while (at_ < line_.size()) {
      const char c = line_[at_];
      if (IsBlank(c) || c == '<' || c == '>') return true;
      if (c == ';' || c == '&' || c == '|' || c == '(' || c == ')') {
        result_.error = std::string("syntax error: '") + c + "' is not supported";
        return false;
      }
      ++at_;
      if (c == '\'') {
        const std::size_t end = line_.find('\'', at_);
        if (end == std::string_view::npos) return Unterminated();
        word.append(line_.substr(at_, end - at_));
        at_ = end + 1;
      } else if (c == '"') {
        if (!ReadDoubleQuoted(word)) return Unterminated();
      } else if (c == '\\') {
        if (at_ < line_.size()) {
          if (line_[at_] != '\n') word.push_back(line_[at_]);
          ++at_;
        }
      } else {
        word.push_back(c);
      }
    }
    return true;
  }

  bool ReadDoubleQuoted(std::string& word) {
    while (at_ < line_.size()) {
      const char c = line_[at_++];
      if (c == '"') return true;
      if (c == '\\' && at_ < line_.size()) {
        const char next = line_[at_];
        if (next == '$' || next == '`' || next == '"' || next == '\\') {
          word.push_back(next);
          ++at_;
          continue;
        }
        if (next == '\n') {
          ++at_;
          continue;
        }
      }
      word.push_back(c);
    }
    return false;
  }

  bool Unterminated() {
    result_.error = "syntax error: unterminated quoted string";
    return false;
  }

  std::string_view line_;
  std::size_t at_ = 0;
  ShellLine result_;
};

bool IsPlain(const std::string& word) {
  if (word.empty()) return false;
  for (unsigned char c : word) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-' || c == '.' || c == '/' || c == ':' || c == ',' ||
                       c == '=' || c == '+' || c == '%' || c == '@' || c >= 0x80;
    if (!plain) return false;
  }
  return true;
}

}  // namespace

ShellLine SplitShellWords(std::string_view line) { return Splitter(line).Run(); }

std::string JoinShellWords(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& word : words) {
    if (!out.empty()) out += ' ';
    if (IsPlain(word)) {
      out += word;
      continue;
    }
    out += '\'';
    for (char c : word) {
      if (c == '\'') {
        out += "'\\''";
      } else {
        out += c;
      }
    }
    out += '\'';
  }
  return out;
}

}  // namespace lingqiao::sim
