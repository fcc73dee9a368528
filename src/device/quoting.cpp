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
  if (word.empty()) return "^\"^\"";

  // Every double quote is written ^" so that the interpreter never enters its quoted state:
  // then every ^ here is one that it removes. Only runs of blanks are put in quotes for the
  // program's argument splitting (which removes them), so everything else stands outside
  // quotes, where "" is removed too. A % that could start a %NAME% gets "" after it: the
  // name then begins with "", which no variable has, whether the interpreter replaces
  // variables before it removes carets (Windows) or after (Wine), and the program drops the
  // "" again.
  std::string out;
  size_t backslashes = 0;
  // Backslashes count only before a quote: 2n of them give n, 2n+1 give n and a literal quote.
  auto flush = [&](bool beforeQuote) {
    out.append(beforeQuote ? backslashes * 2 : backslashes, '\\');
    backslashes = 0;
  };
  for (size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    if (IsLead(c) && i + 1 < word.size()) {
      flush(false);
      out.push_back(c);
      out.push_back(word[++i]);
    } else if (c == '\\') {
      ++backslashes;
    } else if (c == ' ' || c == '\t') {
      flush(true);
      out += "^\"";
      while (i < word.size() && (word[i] == ' ' || word[i] == '\t')) out.push_back(word[i++]);
      --i;
      out += "^\"";
    } else if (c == '"') {
      flush(true);
      out += "\\^\"";
    } else {
      flush(false);
      if (IsInterpreterSpecial(c)) {
        out.push_back('^');
        out.push_back(c);
      } else if (c == '%' && i + 1 < word.size()) {
        out += "%^\"^\"";
      } else {
        out.push_back(c);
      }
    }
  }
  flush(false);
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
