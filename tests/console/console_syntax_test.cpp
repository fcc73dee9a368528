#include "lingqiao-console/console_syntax.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace lingqiao::console {
namespace {

VariableLookup Variables(std::map<std::string, std::string> vars) {
  return [vars](std::string_view name) -> std::optional<std::string> {
    const auto it = vars.find(std::string(name));
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
}

TEST(ExpandVariables, ReplacesDefinedNamesAndLeavesTheRestAsTyped) {
  const auto lookup = Variables({{"PORT", "5037"}, {"X", "a&b"}, {"EMPTY", ""}});
  const struct {
    const char* line;
    const char* expanded;
  } cases[] = {
      {"adb -P %PORT% version", "adb -P 5037 version"},
      {"%PORT%%PORT%", "50375037"},
      {"echo %NOPE%", "echo %NOPE%"},
      {"echo 100%", "echo 100%"},
      {"echo %%", "echo %%"},
      {"[%EMPTY%]", "[]"},
      // The closing "%" of an undefined name may open the next reference.
      {"%NOPE%PORT%", "%NOPE5037"},
      {"input text 50%off", "input text 50%off"},
      // Expansion comes before quotes and operators are looked at.
      {"\"%PORT%\" %X%", "\"5037\" a&b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExpandVariables(c.line, lookup), c.expanded) << c.line;
  }
}

std::vector<std::string> Texts(const ParsedLine& parsed) {
  std::vector<std::string> out;
  for (const Pipeline& p : parsed.pipelines) {
    for (const SimpleCommand& c : p.commands) out.push_back(c.text);
  }
  return out;
}

TEST(ParseLine, CaretsAndQuotesDecideWhatIsAnOperator) {
  const struct {
    const char* line;
    std::vector<std::string> texts;
  } cases[] = {
      {"adb version", {"adb version"}},
      {"  adb version", {"adb version"}},
      {"echo a & echo b", {"echo a ", "echo b"}},
      {"echo a ^& b", {"echo a & b"}},
      {"echo \"a & b\" | x", {"echo \"a & b\" ", "x"}},
      {"echo ^^ ^\"", {"echo ^ \""}},
      {"echo \"^&\"", {"echo \"^&\""}},  // carets inside quotes stay
      {"adb shell input text 'a b'", {"adb shell input text 'a b'"}},
      {"echo x^", {"echo x"}},
      {"echo a>>b", {"echo a"}},
      {"", {}},
      {"   ", {}},
      {"echo a &", {"echo a "}},
  };
  for (const auto& c : cases) {
    const ParsedLine parsed = ParseLine(c.line);
    EXPECT_EQ(parsed.error, "") << c.line;
    EXPECT_EQ(Texts(parsed), c.texts) << c.line;
  }
}

TEST(ParseLine, JoinersAndPipesShapeTheLine) {
  const ParsedLine parsed = ParseLine("a | b && c || d & e");
  ASSERT_EQ(parsed.pipelines.size(), 4u);
  EXPECT_EQ(parsed.pipelines[0].commands.size(), 2u);
  EXPECT_EQ(parsed.pipelines[1].joiner, Joiner::kIfSucceeded);
  EXPECT_EQ(parsed.pipelines[2].joiner, Joiner::kIfFailed);
  EXPECT_EQ(parsed.pipelines[3].joiner, Joiner::kAlways);
  EXPECT_EQ(Texts(parsed), (std::vector<std::string>{"a ", "b ", "c ", "d ", "e"}));
}

TEST(ParseLine, RedirectionsAreCutOutInOrder) {
  using K = Redirection::Kind;
  const struct {
    const char* line;
    const char* text;
    std::vector<std::tuple<int, K, std::string, int>> redirections;  // handle, kind, target, other
  } cases[] = {
      {"adb version > out.txt", "adb version ", {{1, K::kWrite, "out.txt", 1}}},
      {"adb version>>\"my log.txt\" x", "adb version x", {{1, K::kAppend, "my log.txt", 1}}},
      {"sort < in.txt", "sort ", {{0, K::kRead, "in.txt", 1}}},
      {"adb x >o 2>&1", "adb x  ", {{1, K::kWrite, "o", 1}, {2, K::kDuplicate, "", 1}}},
      {"adb x 2>&1 >o", "adb x  ", {{2, K::kDuplicate, "", 1}, {1, K::kWrite, "o", 1}}},
      {"adb x 2>err", "adb x ", {{2, K::kWrite, "err", 1}}},
      // A digit is a handle only when it stands apart.
      {"echo 12>f", "echo 12", {{1, K::kWrite, "f", 1}}},
      {"echo ^2>f", "echo 2", {{1, K::kWrite, "f", 1}}},
      {"echo a >f^&g", "echo a ", {{1, K::kWrite, "f&g", 1}}},
  };
  for (const auto& c : cases) {
    const ParsedLine parsed = ParseLine(c.line);
    ASSERT_EQ(parsed.error, "") << c.line;
    ASSERT_EQ(parsed.pipelines.size(), 1u) << c.line;
    const SimpleCommand& cmd = parsed.pipelines[0].commands[0];
    EXPECT_EQ(cmd.text, c.text) << c.line;
    ASSERT_EQ(cmd.redirections.size(), c.redirections.size()) << c.line;
    for (size_t i = 0; i < c.redirections.size(); ++i) {
      const auto& [handle, kind, target, other] = c.redirections[i];
      EXPECT_EQ(cmd.redirections[i].handle, handle) << c.line;
      EXPECT_EQ(cmd.redirections[i].kind, kind) << c.line;
      EXPECT_EQ(cmd.redirections[i].target, target) << c.line;
      if (kind == K::kDuplicate) {
        EXPECT_EQ(cmd.redirections[i].otherHandle, other) << c.line;
      }
    }
  }
}

TEST(ParseLine, MalformedLinesGetTheInterpretersMessage) {
  const struct {
    const char* line;
    const char* error;
  } cases[] = {
      {"& echo x", "& was unexpected at this time."},
      {"&& echo x", "&& was unexpected at this time."},
      {"|| echo x", "|| was unexpected at this time."},
      {"| x", "| was unexpected at this time."},
      {"echo x &&", "The syntax of the command is incorrect."},
      {"echo x |", "The syntax of the command is incorrect."},
      {"echo x >", "The syntax of the command is incorrect."},
      {"echo x > & y", "The syntax of the command is incorrect."},
  };
  for (const auto& c : cases) {
    const ParsedLine parsed = ParseLine(c.line);
    EXPECT_EQ(parsed.error, c.error) << c.line;
    EXPECT_TRUE(parsed.pipelines.empty()) << c.line;
  }
}

TEST(ClassifyCommand, TellsBuiltInsFromPrograms) {
  const struct {
    const char* text;
    Builtin builtin;
    const char* word;
    bool bare;
  } cases[] = {
      {"adb version", Builtin::kNone, "adb", false},
      {"\"my adb\" version", Builtin::kNone, "my adb", false},
      {"adb.exe", Builtin::kNone, "adb.exe", false},
      {"echo hi there ", Builtin::kEcho, "hi there ", false},
      {"ECHO  x", Builtin::kEcho, " x", false},
      {"echo.", Builtin::kEcho, "", false},
      {"echo:x", Builtin::kEcho, "x", false},
      {"echo", Builtin::kEcho, "", true},
      {"@echo x", Builtin::kEcho, "x", false},
      {"echoes x", Builtin::kNone, "echoes", false},
      {"cd /tmp/x", Builtin::kCd, "/tmp/x", false},
      {"cd..", Builtin::kCd, "..", false},
      {"cd/tmp", Builtin::kCd, "/tmp", false},
      {"chdir x", Builtin::kCd, "x", false},
      {"cd", Builtin::kCd, "", true},
      {"CD ", Builtin::kCd, "", false},
      {"exit 3", Builtin::kExit, "3", false},
      {"exit", Builtin::kExit, "", true},
      {"C:", Builtin::kDrive, "", false},
      {"d: ", Builtin::kDrive, "", false},
      {"C:x", Builtin::kNone, "C:x", false},
  };
  for (const auto& c : cases) {
    const CommandName name = ClassifyCommand(c.text);
    EXPECT_EQ(name.builtin, c.builtin) << c.text;
    EXPECT_EQ(name.word, c.word) << c.text;
    EXPECT_EQ(name.bare, c.bare) << c.text;
  }
}

TEST(CdFolder, TakesTheRestOfTheLineWithoutQuotes) {
  const struct {
    const char* rest;
    const char* folder;
  } cases[] = {
      {"/tmp/a b/", "/tmp/a b/"},
      {"\"/tmp/a b\"  ", "/tmp/a b"},
      {"/d /tmp", "/tmp"},
      {"/data", "/data"},
      {"   ", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CdFolder(c.rest), c.folder) << c.rest;
}

TEST(ParseEcho, PrintsTheRestOrReportsOrSetsTheState) {
  using K = EchoAction::Kind;
  const struct {
    const char* rest;
    bool bare;
    bool blank;
    K kind;
    const char* text;
  } cases[] = {
      {"hi ", false, true, K::kPrint, "hi "},
      {"", true, false, K::kShowState, ""},
      {"   ", false, true, K::kShowState, ""},
      {"off", false, true, K::kSetOff, ""},
      {" ON ", false, true, K::kSetOn, ""},
      {"", false, false, K::kPrint, ""},     // "echo." prints an empty line
      {"off", false, false, K::kPrint, "off"},  // "echo.off"
  };
  for (const auto& c : cases) {
    const EchoAction a = ParseEcho(c.rest, c.bare, c.blank);
    EXPECT_EQ(a.kind, c.kind) << c.rest;
    EXPECT_EQ(a.text, c.text) << c.rest;
  }
}

TEST(ParseExitCode, IsTheFirstNumberAfterAnOptionalSwitch) {
  EXPECT_EQ(ParseExitCode(""), 0);
  EXPECT_EQ(ParseExitCode("3"), 3);
  EXPECT_EQ(ParseExitCode(" /b 7 "), 7);
  EXPECT_EQ(ParseExitCode("/B"), 0);
  EXPECT_EQ(ParseExitCode("-2"), -2);
  EXPECT_EQ(ParseExitCode("x"), 0);
}

// The cases were checked against CommandLineToArgvW; the Windows build of these tests
// compares the two directly.
TEST(SplitCommandLine, FollowsTheWindowsArgumentRules) {
  const struct {
    const char* line;
    std::vector<std::string> args;
  } cases[] = {
      {"p a b", {"p", "a", "b"}},
      {"p\ta\t\tb", {"p", "a", "b"}},
      {"\"a b\"c d", {"a b", "c", "d"}},
      {"a\"b c\" d", {"a\"b", "c d"}},  // the program name ends at the blank, quote or not
      {"\"p q\"\\x y", {"p q", "\\x", "y"}},
      {"p \"a\"\"b\" c", {"p", "a\"b c"}},
      {"p \"a\"\"\"b\" c", {"p", "a\"b", "c"}},
      {"p \"\"\"\" x", {"p", "\" x"}},
      {"p a\\\\\\\"b", {"p", "a\\\"b"}},
      {"p a\\\\\"b c\"", {"p", "a\\b c"}},
      {"p \\\\server\\x", {"p", "\\\\server\\x"}},
      {"p \"a b\\\\\"", {"p", "a b\\"}},
      {"p \"\"", {"p", ""}},
      {"p \"", {"p", ""}},
      {"p a\"b c\"d", {"p", "ab cd"}},
      {"p a\\\"", {"p", "a\""}},
      {"p \"\"\"", {"p", "\""}},
      {"p \"\"\"\"\"", {"p", "\""}},
      {"p x\\\\", {"p", "x\\\\"}},
      {"p   ", {"p"}},
      {" p x", {"", "p", "x"}},
      {"", {}},
      {"adb -s 127.0.0.1:6555 shell am broadcast --es msg '\xE4\xB8\xAD a'",
       {"adb", "-s", "127.0.0.1:6555", "shell", "am", "broadcast", "--es", "msg", "'\xE4\xB8\xAD", "a'"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
}

TEST(FindProgram, LooksInTheCurrentFolderFirstThenPath) {
  const std::set<std::string> files{"/work/adb", "/bin1/adb", "/bin1/tool.exe", "/bin2/tool", "/bin2/only",
                                    "/work/sub/x"};
  const auto exists = [&](const std::string& p) { return files.count(p) > 0; };
  const struct {
    const char* name;
    const char* cwd;
    std::optional<std::string> found;
  } cases[] = {
      {"adb", "/work", "/work/adb"},
      {"adb.exe", "/work", "/work/adb"},
      {"ADB.EXE", "/elsewhere", std::nullopt},  // file names are case-sensitive here
      {"adb", "/elsewhere", "/bin1/adb"},
      {"tool", "/elsewhere", "/bin1/tool.exe"},  // a folder earlier in PATH wins over the bare name
      {"only.exe", "/work/", "/bin2/only"},
      {"sub/x", "/work", "/work/sub/x"},
      {"sub/x", "/elsewhere", std::nullopt},  // a path is not looked for in PATH
      {"/bin2/tool", "/work", "/bin2/tool"},
      {"missing", "/work", std::nullopt},
      {"", "/work", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindProgram(c.name, c.cwd, "/bin1::/bin2", exists), c.found) << c.name << " in " << c.cwd;
  }
}

TEST(LineEndTranslator, AddsCarriageReturnsAcrossPieces) {
  LineEndTranslator t;
  EXPECT_EQ(t.Translate("a\nb"), "a\r\nb");
  EXPECT_EQ(t.Translate("\n"), "\r\n");
  EXPECT_EQ(t.Translate("c\r"), "c\r");
  EXPECT_EQ(t.Translate("\nd\r\n\n"), "\nd\r\n\r\n");  // the CR of the piece before counts
  EXPECT_EQ(t.Translate(""), "");
}

}  // namespace
}  // namespace lingqiao::console
