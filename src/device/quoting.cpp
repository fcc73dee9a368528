#include "device/quoting.h"

namespace lingqiao {
namespace {

bool IsLead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

bool IsInterpreterSpecial(char c) {
  switch (c) {
    case '&': case '|': case '<': case '>': case '^': case '(': case ')': case '"':
      return true;
    default:
      return false;
  }
}

// CommandLineToArgvW's view: quotes group blanks and are removed; 2n backslashes before a
// quote give n and the quote acts; 2n+1 give n and a literal quote; others are literal.
std::string QuoteForArgv(std::string_view word) {
  bool needsQuotes = word.empty();
  for (char c : word) {
    if (c == ' ' || c == '\t' || c == '"') needsQuotes = true;
  }
  if (!needsQuotes) return std::string(word);
  std::string out = "\"";
  size_t backslashes = 0;
  for (size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    if (IsLead(c) && i + 1 < word.size()) {
      out.append(backslashes, '\\');
      backslashes = 0;
      out.push_back(c);
      out.push_back(word[++i]);
      continue;
    }
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, '\\');
  out.push_back('"');
  return out;
}

}  // namespace

bool IsPlainWord(std::string_view word) {
  if (word.empty()) return false;
  for (char c : word) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '/' || c == ':' || c == '_' || c == '-' || c == ',' ||
                    c == '+' || c == '=' || c == '@' || c == '%';
    if (!ok) return false;
  }
  return true;
}

std::string EscapeInsideSingleQuotes(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string QuoteForDeviceShell(std::string_view word) {
  if (IsPlainWord(word)) return std::string(word);
  return "'" + EscapeInsideSingleQuotes(word) + "'";
}

std::string QuoteForInterpreter(std::string_view word) {
  // A single % cannot pair with another into %NAME%, so such a word needs nothing.
  size_t percents = 0;
  bool special = word.empty();
  for (size_t i = 0; i < word.size(); ++i) {
    if (IsLead(word[i])) {
      ++i;
      continue;
    }
    const char c = word[i];
    percents += c == '%';
    if (IsInterpreterSpecial(c) || c == ' ' || c == '\t') special = true;
  }
  if (!special && percents < 2) return std::string(word);

  // Every quote is written ^" so that the interpreter never enters its quoted state: then
  // each ^ below is one it removes, and the quotes still group blanks for the program.
  const std::string argv = QuoteForArgv(word);
  std::string out;
  for (size_t i = 0; i < argv.size(); ++i) {
    const char c = argv[i];
    if (IsLead(c) && i + 1 < argv.size()) {
      out.push_back(c);
      out.push_back(argv[++i]);
      continue;
    }
    if (IsInterpreterSpecial(c)) {
      out.push_back('^');
      out.push_back(c);
    } else if (c == '%' && i + 1 < argv.size() && !IsInterpreterSpecial(argv[i + 1])) {
      // %^NAME% names a variable "^NAME", which is never defined, so nothing is replaced;
      // then the ^ goes like any other. A following special brings its own ^.
      out += "%^";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string QuoteDeviceWord(std::string_view word) {
  return QuoteForInterpreter(QuoteForDeviceShell(word));
}

std::string QuoteCoordinate(std::string_view value) {
  bool numeric = true;  // an empty coordinate passes as it is, too
  for (char c : value) {
    if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == ' ')) numeric = false;
  }
  if (numeric) return std::string(value);
  return QuoteDeviceWord(value);
}

}  // namespace lingqiao
