#include "device/quoting.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace lingqiao {
namespace {

using Words = std::vector<std::string>;

bool IsLead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

std::string ExpandVariables(const std::string& line, const std::map<std::string, std::string>& env) {
  std::string expanded;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '%') {
      const size_t close = line.find('%', i + 1);
      if (close != std::string::npos) {
        auto it = env.find(line.substr(i + 1, close - i - 1));
        if (it != env.end()) {
          expanded += it->second;
          i = close;
          continue;
        }
      }
    }
    expanded.push_back(line[i]);
  }
  return expanded;
}

// Outside double quotes ^ makes the next character literal and & | < > would be operators
// (counted in `operators`, since a quoted word must never produce one).
std::string RemoveCarets(const std::string& line, int* operators) {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (IsLead(c) && i + 1 < line.size()) {
      out.push_back(c);
      out.push_back(line[++i]);
    } else if (c == '"') {
      quoted = !quoted;
      out.push_back(c);
    } else if (!quoted && c == '^' && i + 1 < line.size()) {
      out.push_back(line[++i]);
      if (IsLead(out.back()) && i + 1 < line.size()) out.push_back(line[++i]);
    } else {
      if (!quoted && (c == '&' || c == '|' || c == '<' || c == '>')) ++*operators;
      out.push_back(c);
    }
  }
  return out;
}

// How the PC's interpreter reads a line: Windows' cmd replaces each %NAME% of a defined
// variable before it looks at carets; Wine's cmd does it the other way round.
enum class Order { kVariablesFirst, kCaretsFirst };
std::string InterpreterReads(const std::string& line, const std::map<std::string, std::string>& env,
                             int* operators, Order order) {
  if (order == Order::kVariablesFirst) return RemoveCarets(ExpandVariables(line, env), operators);
  return ExpandVariables(RemoveCarets(line, operators), env);
}

// CommandLineToArgvW's splitting.
Words SplitArgv(const std::string& s) {
  Words args;
  std::string cur;
  bool inArg = false, quoted = false;
  for (size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (!quoted && (c == ' ' || c == '\t')) {
      if (inArg) args.push_back(cur);
      cur.clear();
      inArg = false;
      ++i;
      continue;
    }
    inArg = true;
    if (IsLead(c) && i + 1 < s.size()) {
      cur += s.substr(i, 2);
      i += 2;
    } else if (c == '\\') {
      size_t n = 0;
      while (i < s.size() && s[i] == '\\') ++n, ++i;
      if (i < s.size() && s[i] == '"') {
        cur.append(n / 2, '\\');
        if (n % 2) {
          cur.push_back('"');
          ++i;
        }
      } else {
        cur.append(n, '\\');
      }
    } else if (c == '"') {
      quoted = !quoted;
      ++i;
    } else {
      cur.push_back(c);
      ++i;
    }
  }
  if (inArg) args.push_back(cur);
  return args;
}

// The device's POSIX shell splitting words.
Words SplitShell(const std::string& s) {
  Words words;
  std::string cur;
  bool inWord = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(cur);
      cur.clear();
      inWord = false;
    } else if (c == '\'') {
      inWord = true;
      const size_t close = s.find('\'', i + 1);
      cur += s.substr(i + 1, close - i - 1);
      i = close;
    } else if (c == '\\' && i + 1 < s.size()) {
      inWord = true;
      cur.push_back(s[++i]);
    } else {
      inWord = true;
      cur.push_back(c);
    }
  }
  if (inWord) words.push_back(cur);
  return words;
}

const std::map<std::string, std::string> kEnv = {
    {"s", "EXPANDED"}, {"PATH", "EXPANDED"}, {"x", "EXPANDED"}, {"a b", "EXPANDED"}};

Words ThroughInterpreter(const std::string& quoted, Order order = Order::kVariablesFirst) {
  int operators = 0;
  Words args = SplitArgv(InterpreterReads(quoted, kEnv, &operators, order));
  if (operators) args.push_back("<operator>");
  return args;
}

TEST(Quoting, PlainWordsStayAsTheyAre) {
  for (const char* w : {"100", "com.android.browser/.BrowserActivity", "hello%sworld", "a=b,c+d@e:f_g-h",
                        "/sdcard/jt.png", "127.0.0.1:6555"}) {
    EXPECT_EQ(QuoteForInterpreter(w), w);
    EXPECT_EQ(QuoteForDeviceShell(w), w);
    EXPECT_EQ(QuoteDeviceWord(w), w);
  }
}

TEST(Quoting, Table) {
  struct Case {
    std::string word, device, interpreter;
  } cases[] = {
      {"a b", "'a b'", "'a^\" ^\"b'"},
      {"it's", "'it'\\''s'", "'it'\\''s'"},
      {"a&b", "'a&b'", "'a^&b'"},
      {"%s%s", "%s%s", "%^\"^\"s%^\"^\"s"},
      {"设置", "'设置'", "'设置'"},
      {"", "''", "''"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QuoteForDeviceShell(c.word), c.device) << c.word;
    EXPECT_EQ(QuoteDeviceWord(c.word), c.interpreter) << c.word;
  }
  EXPECT_EQ(QuoteForInterpreter(""), "^\"^\"");
  EXPECT_EQ(QuoteForInterpreter("C:\\my files\\x.apk"), "C:\\my^\" ^\"files\\x.apk");
  EXPECT_EQ(QuoteForInterpreter("a\\\"b c\\"), "a\\\\\\^\"b^\" ^\"c\\");
}

TEST(Quoting, Coordinates) {
  EXPECT_EQ(QuoteCoordinate("100"), "100");
  EXPECT_EQ(QuoteCoordinate(" 200"), " 200");
  EXPECT_EQ(QuoteCoordinate("-1.5"), "-1.5");
  EXPECT_EQ(QuoteCoordinate(""), "");
  EXPECT_EQ(QuoteCoordinate("1&reboot"), "'1^&reboot'");
  EXPECT_EQ(QuoteCoordinate("abc"), "abc") << "plain: the device's input tool refuses it";
}

TEST(Quoting, RoundTripOverGeneratedWords) {
  // Blanks, quotes of both kinds, backslashes, every interpreter operator, percent signs
  // around variable names that are defined, and GBK characters whose trail byte is \ | ^.
  const std::vector<std::string> alphabet = {
      "a", "s", "x", "1", " ", "\t", "\"", "'", "\\", "&", "|", "<", ">", "^", "(", ")", "%",
      "%s%", "!", ";", "$", "`", "*", "设", "\x81\x5C", "\x81\x7C", "\x81\x5E", "PATH", "a b"};
  std::mt19937 rng(20261211);
  for (int n = 0; n < 5000; ++n) {
    std::string word;
    const int len = static_cast<int>(rng() % 9);
    for (int k = 0; k < len; ++k) word += alphabet[rng() % alphabet.size()];
    for (Order order : {Order::kVariablesFirst, Order::kCaretsFirst}) {
      EXPECT_EQ(ThroughInterpreter(QuoteForInterpreter(word), order), Words{word}) << "[" << word << "]";
      const Words viaAdb = ThroughInterpreter(QuoteDeviceWord(word), order);
      ASSERT_EQ(viaAdb.size(), 1u) << "[" << word << "]";
      EXPECT_EQ(SplitShell(viaAdb[0]), Words{word}) << "[" << word << "]";
    }
    const std::string inQuotes = "'" + EscapeInsideSingleQuotes(word) + "'";
    EXPECT_EQ(SplitShell(inQuotes), Words{word});
  }
}

}  // namespace
}  // namespace lingqiao
