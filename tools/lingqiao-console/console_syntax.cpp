#include "console_syntax.h"

#include <cctype>

namespace lingqiao::console {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string_view TrimLeft(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

std::string_view TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

bool EndsWithIgnoringCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && EqualsIgnoringCase(s.substr(s.size() - suffix.size()), suffix);
}

// Builds one line's pipelines while ParseLine walks it.
class LineBuilder {
 public:
  SimpleCommand& Command() { return command_; }

  // Ends the current simple command at "|".
  bool EndCommandAtPipe() {
    if (CommandIsEmpty()) return Fail("| was unexpected at this time.");
    pipeline_.commands.push_back(Take());
    return true;
  }

  // Ends the current pipeline at "&", "&&" or "||".
  bool EndPipeline(Joiner next, std::string_view op) {
    if (CommandIsEmpty()) {
      if (pipeline_.commands.empty()) return Fail(std::string(op) + " was unexpected at this time.");
      return Fail("The syntax of the command is incorrect.");
    }
    pipeline_.commands.push_back(Take());
    result_.pipelines.push_back(std::move(pipeline_));
    pipeline_ = Pipeline{};
    pipeline_.joiner = next;
    return true;
  }

  ParsedLine Finish() {
    if (failed_) return std::move(result_);
    if (!CommandIsEmpty()) {
      pipeline_.commands.push_back(Take());
      result_.pipelines.push_back(std::move(pipeline_));
    } else if (!pipeline_.commands.empty()) {
      Fail("The syntax of the command is incorrect.");  // a line ending in "|"
    } else if (!result_.pipelines.empty() && pipeline_.joiner != Joiner::kAlways) {
      Fail("The syntax of the command is incorrect.");  // a line ending in "&&" or "||"
    }
    // A line ending in a single "&" just ends there.
    return std::move(result_);
  }

  bool Fail(std::string message) {
    failed_ = true;
    result_.pipelines.clear();
    result_.error = std::move(message);
    return false;
  }

 private:
  bool CommandIsEmpty() const {
    return TrimLeft(command_.text).empty() && command_.redirections.empty();
  }

  SimpleCommand Take() {
    SimpleCommand c = std::move(command_);
    c.text = std::string(TrimLeft(c.text));
    command_ = SimpleCommand{};
    return c;
  }

  ParsedLine result_;
  Pipeline pipeline_;
  SimpleCommand command_;
  bool failed_ = false;
};

bool IsOperatorChar(char c) { return c == '&' || c == '|' || c == '<' || c == '>'; }

// Reads a redirection's file name from line[i]: up to a blank or an operator outside quotes.
// Quotes are removed and "^" escapes as in the rest of the line.
bool ReadTarget(std::string_view line, size_t& i, std::string& target) {
  while (i < line.size() && IsBlank(line[i])) ++i;
  bool inQuotes = false;
  bool sawQuote = false;
  for (; i < line.size(); ++i) {
    const char c = line[i];
    if (inQuotes) {
      if (c == '"') {
        inQuotes = false;
      } else {
        target.push_back(c);
      }
      continue;
    }
    if (IsBlank(c) || IsOperatorChar(c)) break;
    if (c == '"') {
      inQuotes = sawQuote = true;
    } else if (c == '^') {
      if (i + 1 < line.size()) target.push_back(line[++i]);
    } else {
      target.push_back(c);
    }
  }
  return !target.empty() || sawQuote;
}

}  // namespace

std::string ExpandVariables(std::string_view line, const VariableLookup& lookup) {
  std::string out;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] != '%') {
      out.push_back(line[i++]);
      continue;
    }
    const size_t close = line.find('%', i + 1);
    if (close == std::string_view::npos) {
      out.append(line.substr(i));
      break;
    }
    const std::string_view name = line.substr(i + 1, close - i - 1);
    std::optional<std::string> value;
    if (!name.empty()) value = lookup(name);
    if (value) {
      out += *value;
      i = close + 1;
    } else {
      // "%NAME" stays; the closing "%" is looked at again as a possible opening one.
      out.append(line.substr(i, close - i));
      i = close;
    }
  }
  return out;
}

ParsedLine ParseLine(std::string_view line) {
  LineBuilder builder;
  bool inQuotes = false;
  // True when the last character added is a digit typed plainly right after a blank or at
  // the start of the command: then a following ">" or "<" takes it as the handle number.
  bool digitIsHandle = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    std::string& text = builder.Command().text;
    if (inQuotes) {
      if (c == '"') inQuotes = false;
      text.push_back(c);
      digitIsHandle = false;
      continue;
    }
    switch (c) {
      case '"':
        inQuotes = true;
        text.push_back(c);
        digitIsHandle = false;
        break;
      case '^':
        // A caret at the very end would continue the line; with nothing to continue, it goes.
        if (i + 1 < line.size()) text.push_back(line[++i]);
        digitIsHandle = false;
        break;
      case '&':
        if (i + 1 < line.size() && line[i + 1] == '&') {
          ++i;
          if (!builder.EndPipeline(Joiner::kIfSucceeded, "&&")) return builder.Finish();
        } else if (!builder.EndPipeline(Joiner::kAlways, "&")) {
          return builder.Finish();
        }
        digitIsHandle = false;
        break;
      case '|':
        if (i + 1 < line.size() && line[i + 1] == '|') {
          ++i;
          if (!builder.EndPipeline(Joiner::kIfFailed, "||")) return builder.Finish();
        } else if (!builder.EndCommandAtPipe()) {
          return builder.Finish();
        }
        digitIsHandle = false;
        break;
      case '<':
      case '>': {
        Redirection r;
        r.handle = c == '<' ? 0 : 1;
        if (digitIsHandle) {
          r.handle = text.back() - '0';
          text.pop_back();
        }
        r.kind = c == '<' ? Redirection::Kind::kRead : Redirection::Kind::kWrite;
        if (c == '>' && i + 1 < line.size() && line[i + 1] == '>') {
          r.kind = Redirection::Kind::kAppend;
          ++i;
        }
        ++i;
        if (i + 1 < line.size() && line[i] == '&' && IsDigit(line[i + 1])) {
          r.kind = Redirection::Kind::kDuplicate;
          r.otherHandle = line[i + 1] - '0';
          i += 2;
        } else if (!ReadTarget(line, i, r.target)) {
          builder.Fail("The syntax of the command is incorrect.");
          return builder.Finish();
        }
        --i;  // the loop steps past the last character used
        builder.Command().redirections.push_back(std::move(r));
        digitIsHandle = false;
        break;
      }
      default:
        digitIsHandle = IsDigit(c) && (text.empty() || IsBlank(text.back()));
        text.push_back(c);
        break;
    }
  }
  return builder.Finish();
}

CommandName ClassifyCommand(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && (IsBlank(text[start]) || text[start] == '@')) ++start;
  const std::string_view rest = text.substr(start);

  CommandName result;
  // A bare drive such as "C:": the console has one tree, so there is nothing to change.
  const std::string_view trimmed = TrimRight(rest);
  if (trimmed.size() == 2 && std::isalpha(static_cast<unsigned char>(trimmed[0])) && trimmed[1] == ':') {
    result.builtin = Builtin::kDrive;
    return result;
  }

  size_t nameEnd = 0;
  while (nameEnd < rest.size() && std::isalpha(static_cast<unsigned char>(rest[nameEnd]))) ++nameEnd;
  const std::string_view name = rest.substr(0, nameEnd);
  const bool atEnd = nameEnd == rest.size();
  const char next = atEnd ? '\0' : rest[nameEnd];
  if (EqualsIgnoringCase(name, "echo") &&
      (atEnd || IsBlank(next) || std::string_view(".:/\\(+[]=,;").find(next) != std::string_view::npos)) {
    result.builtin = Builtin::kEcho;
    result.bare = atEnd;
    result.blankDelimiter = !atEnd && IsBlank(next);
    if (!atEnd) result.word = std::string(rest.substr(nameEnd + 1));
    return result;
  }
  if ((EqualsIgnoringCase(name, "cd") || EqualsIgnoringCase(name, "chdir")) &&
      (atEnd || IsBlank(next) || next == '.' || next == '\\' || next == '/')) {
    // "cd.." and "cd/tmp" keep the character after the name; a blank is dropped.
    result.builtin = Builtin::kCd;
    result.bare = atEnd;
    if (!atEnd) result.word = std::string(rest.substr(IsBlank(next) ? nameEnd + 1 : nameEnd));
    return result;
  }
  if (EqualsIgnoringCase(name, "exit") && (atEnd || IsBlank(next))) {
    result.builtin = Builtin::kExit;
    result.bare = atEnd;
    if (!atEnd) result.word = std::string(rest.substr(nameEnd + 1));
    return result;
  }

  // A program: its name ends at the first blank outside quotes; the quotes are not part of it.
  bool inQuotes = false;
  for (const char c : rest) {
    if (c == '"') {
      inQuotes = !inQuotes;
    } else if (!inQuotes && IsBlank(c)) {
      break;
    } else {
      result.word.push_back(c);
    }
  }
  return result;
}

std::string CdFolder(std::string_view rest) {
  std::string_view s = TrimLeft(rest);
  if (s.size() >= 2 && s[0] == '/' && Lower(s[1]) == 'd' && (s.size() == 2 || IsBlank(s[2]))) {
    s = TrimLeft(s.substr(2));
  }
  std::string folder;
  for (const char c : s) {
    if (c != '"') folder.push_back(c);
  }
  return std::string(TrimRight(folder));
}

EchoAction ParseEcho(std::string_view rest, bool bare, bool blankDelimiter) {
  EchoAction action;
  if (bare) {
    action.kind = EchoAction::Kind::kShowState;
    return action;
  }
  if (blankDelimiter) {
    const std::string_view word = TrimRight(TrimLeft(rest));
    if (word.empty()) {
      action.kind = EchoAction::Kind::kShowState;
      return action;
    }
    if (EqualsIgnoringCase(word, "on")) {
      action.kind = EchoAction::Kind::kSetOn;
      return action;
    }
    if (EqualsIgnoringCase(word, "off")) {
      action.kind = EchoAction::Kind::kSetOff;
      return action;
    }
  }
  action.text = std::string(rest);
  return action;
}

int ParseExitCode(std::string_view rest) {
  std::string_view s = TrimLeft(rest);
  if (s.size() >= 2 && s[0] == '/' && Lower(s[1]) == 'b' && (s.size() == 2 || IsBlank(s[2]))) {
    s = TrimLeft(s.substr(2));
  }
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i == s.size() || !IsDigit(s[i])) return 0;
  long long value = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    value = value * 10 + (s[i] - '0');
    if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
  }
  return static_cast<int>(negative ? -value : value);
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  if (line.empty()) return args;
  size_t i = 0;
  // The program name: a quoted name ends at its closing quote, a plain one at the first
  // blank; no backslash or quote processing either way.
  std::string first;
  if (line[0] == '"') {
    const size_t close = line.find('"', 1);
    first = std::string(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    i = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && !IsBlank(line[i])) first.push_back(line[i++]);
  }
  args.push_back(std::move(first));

  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool inQuotes = false;
    while (i < line.size()) {
      const char c = line[i];
      if (c == '\\') {
        size_t n = 0;
        while (i < line.size() && line[i] == '\\') {
          ++n;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          arg.append(n / 2, '\\');
          if (n % 2 == 1) {
            arg.push_back('"');
            ++i;
          }
          // With an even count the quote is handled by the next pass as a grouping quote.
        } else {
          arg.append(n, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
          // "" inside quotes is one literal quote, and it ends the quoted part.
          arg.push_back('"');
          inQuotes = false;
          i += 2;
        } else {
          inQuotes = !inQuotes;
          ++i;
        }
        continue;
      }
      if (!inQuotes && IsBlank(c)) break;
      arg.push_back(c);
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::optional<std::string> FindProgram(std::string_view name, std::string_view currentFolder,
                                       std::string_view pathVariable,
                                       const std::function<bool(const std::string&)>& isProgram) {
  if (name.empty()) return std::nullopt;
  std::vector<std::string> names{std::string(name)};
  if (EndsWithIgnoringCase(name, ".exe")) {
    if (name.size() > 4) names.emplace_back(name.substr(0, name.size() - 4));
  } else {
    names.push_back(std::string(name) + ".exe");
  }

  auto join = [](std::string_view folder, const std::string& file) {
    if (file.starts_with('/')) return file;
    std::string path(folder);
    if (!path.empty() && !path.ends_with('/')) path.push_back('/');
    return path + file;
  };
  auto findIn = [&](std::string_view folder) -> std::optional<std::string> {
    for (const std::string& n : names) {
      std::string path = join(folder, n);
      if (isProgram(path)) return path;
    }
    return std::nullopt;
  };

  if (auto found = findIn(currentFolder)) return found;
  if (name.find('/') != std::string_view::npos) return std::nullopt;
  size_t start = 0;
  while (start <= pathVariable.size()) {
    size_t end = pathVariable.find(':', start);
    if (end == std::string_view::npos) end = pathVariable.size();
    const std::string_view folder = pathVariable.substr(start, end - start);
    if (!folder.empty()) {
      if (auto found = findIn(folder)) return found;
    }
    start = end + 1;
  }
  return std::nullopt;
}

std::string LineEndTranslator::Translate(std::string_view piece) {
  std::string out;
  out.reserve(piece.size() + piece.size() / 16 + 1);
  for (const char c : piece) {
    if (c == '\n' && !lastWasCr_) out.push_back('\r');
    out.push_back(c);
    lastWasCr_ = c == '\r';
  }
  return out;
}

}  // namespace lingqiao::console
