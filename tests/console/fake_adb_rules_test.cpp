#include "fake-adb/fake_adb_rules.h"

#include <gtest/gtest.h>

namespace lingqiao::fake_adb {
namespace {

using Args = std::vector<std::string>;

TEST(MatchesPattern, StarTakesOneArgumentAndDoubleStarTheRest) {
  const struct {
    Args pattern;
    Args args;
    bool match;
  } cases[] = {
      {{"version"}, {"version"}, true},
      {{"version"}, {"version", "x"}, false},
      {{"version", "x"}, {"version"}, false},
      {{}, {}, true},
      {{"-s", "*", "shell", "input", "tap", "*", "*"}, {"-s", "127.0.0.1:6555", "shell", "input", "tap", "1", "2"}, true},
      {{"-s", "*", "shell", "input", "tap", "*", "*"}, {"-s", "127.0.0.1:6555", "shell", "input", "tap", "1"}, false},
      {{"*"}, {}, false},
      {{"shell", "**"}, {"shell"}, true},
      {{"shell", "**"}, {"shell", "a", "b"}, true},
      {{"**"}, {}, true},
      {{"shell", "**"}, {"pull"}, false},
      {{"Shell"}, {"shell"}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesPattern(c.pattern, c.args), c.match) << ::testing::PrintToString(c.pattern) << " / "
                                                          << ::testing::PrintToString(c.args);
  }
}

TEST(ParseRules, ReadsEveryMemberAndBackFromFormatRule) {
  const Rule full{.args = {"pull", "/sdcard/jt.png", "*"},
                  .stdoutText = "ok \"1\"\n",
                  .stderrText = "warn\n",
                  .exitCode = 3,
                  .delayMs = 40,
                  .pullFrom = "/tmp/a b/jt.png",
                  .partialFirstMs = 200,
                  .maxUses = 2};
  const Rule bare{.args = {"version"}};
  const Rule emptyOut{.args = {"x"}, .stdoutText = ""};
  const std::string text = FormatRule(full) + "\n\r\n" + FormatRule(bare) + "\r\n" + FormatRule(emptyOut);
  std::vector<Rule> rules;
  std::string error;
  ASSERT_TRUE(ParseRules(text, rules, error)) << error;
  ASSERT_EQ(rules.size(), 3u);  // the blank line is no rule
  EXPECT_EQ(rules[0].args, full.args);
  EXPECT_EQ(rules[0].stdoutText, full.stdoutText);
  EXPECT_EQ(rules[0].stderrText, full.stderrText);
  EXPECT_EQ(rules[0].exitCode, 3);
  EXPECT_EQ(rules[0].delayMs, 40);
  EXPECT_EQ(rules[0].pullFrom, full.pullFrom);
  EXPECT_EQ(rules[0].partialFirstMs, 200);
  EXPECT_EQ(rules[0].maxUses, 2);
  EXPECT_EQ(rules[1].args, bare.args);
  EXPECT_FALSE(rules[1].stdoutText.has_value());
  EXPECT_EQ(rules[2].stdoutText, std::optional<std::string>(""));
  EXPECT_EQ(FormatRule(bare), R"({"args":["version"]})");
}

TEST(ParseRules, NamesTheLineOfAMistake) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"{\"args\":[]}\n{\"arg\":[]}", "line 2: unknown member \"arg\""},
      {"{\"stdout\":\"x\"}", "line 1: a rule needs \"args\""},
      {"[\"version\"]", "line 1: a rule is a JSON object"},
      {"{\"args\":[\"a\",1]}", "line 1: \"args\" must be an array of strings"},
      {"{\"args\":[\"**\",\"a\"]}", "line 1: \"**\" may only end \"args\""},
      {"{\"args\":[],\"exit\":1.5}", "line 1: \"exit\" must be a whole number"},
      {"{\"args\":[],\"delay_ms\":-1}", "line 1: \"delay_ms\" must be a whole number of 0 or more"},
      {"{\"args\":[],\"stdout\":3}", "line 1: \"stdout\" must be a string"},
      {"\n\n{\"args\":[]", "line 3: expected ',' or '}' at byte 10"},
  };
  for (const auto& c : cases) {
    std::vector<Rule> rules;
    std::string error;
    EXPECT_FALSE(ParseRules(c.text, rules, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_TRUE(rules.empty());
  }
}

TEST(Decide, FirstMatchingRuleWinsOverLaterRulesAndDefaults) {
  const std::vector<Rule> rules{
      {.args = {"version"}, .stdoutText = "custom\n", .exitCode = 4, .delayMs = 10},
      {.args = {"version"}, .stdoutText = "never\n"},
      {.args = {"-s", "*", "shell", "**"}, .stderrText = "error: device offline\n", .exitCode = 1},
  };
  const Answer v = Decide(rules, {"version"}, "/w", {});
  EXPECT_EQ(v.stdoutText, "custom\n");
  EXPECT_EQ(v.exitCode, 4);
  EXPECT_EQ(v.delayMs, 10);
  const Answer s = Decide(rules, {"-s", "127.0.0.1:6555", "shell", "wm", "size"}, "/w", {});
  EXPECT_EQ(s.stdoutText, "");
  EXPECT_EQ(s.stderrText, "error: device offline\n");
  EXPECT_EQ(s.exitCode, 1);
  const Answer none = Decide(rules, {"-s", "x", "install", "a.apk"}, "/w", {});
  EXPECT_EQ(none.stdoutText, "");
  EXPECT_EQ(none.stderrText, "");
  EXPECT_EQ(none.exitCode, 0);
}

TEST(Decide, DefaultsLetAClientStartAndConnect) {
  State state;
  EXPECT_EQ(Decide({}, {"version"}, "/w", state).stdoutText,
            "Android Debug Bridge version 1.0.41\nVersion 29.0.6-fake\n");
  EXPECT_EQ(Decide({}, {"-P", "5099", "version"}, "/w", state).stdoutText.substr(0, 28),
            "Android Debug Bridge version");

  const Answer first = Decide({}, {"connect", "127.0.0.1:6555"}, "/w", state);
  EXPECT_EQ(first.stdoutText, "connected to 127.0.0.1:6555\n");
  EXPECT_EQ(first.stateLines, Args{"connected 127.0.0.1:6555"});
  state = ParseState("connected 127.0.0.1:6555\n");
  const Answer again = Decide({}, {"connect", "127.0.0.1:6555"}, "/w", state);
  EXPECT_EQ(again.stdoutText, "already connected to 127.0.0.1:6555\n");
  EXPECT_TRUE(again.stateLines.empty());
  EXPECT_EQ(Decide({}, {"connect", "10.0.0.2"}, "/w", state).stdoutText, "connected to 10.0.0.2:5555\n");
  EXPECT_EQ(Decide({}, {"connect"}, "/w", state).exitCode, 1);

  EXPECT_EQ(Decide({}, {"devices"}, "/w", state).stdoutText,
            "List of devices attached\n127.0.0.1:6555\tdevice\n\n");
  EXPECT_EQ(Decide({}, {"devices"}, "/w", {}).stdoutText, "List of devices attached\n\n");
  EXPECT_EQ(Decide({}, {"disconnect", "127.0.0.1:6555"}, "/w", state).stdoutText, "disconnected 127.0.0.1:6555\n");
  EXPECT_EQ(Decide({}, {"disconnect", "127.0.0.1:7"}, "/w", state).exitCode, 1);
  EXPECT_EQ(Decide({}, {"kill-server"}, "/w", state).stateLines, Args{"reset"});
  EXPECT_EQ(Decide({}, {}, "/w", state).stdoutText, "");
}

TEST(Decide, MaxUsesPassesARuleOverOnceUsedUp) {
  const std::vector<Rule> rules{
      {.args = {"connect", "*"}, .stdoutText = "failed to connect\n", .maxUses = 2},
      {.args = {"connect", "*"}, .stdoutText = "already connected\n"},
  };
  State state;
  Answer a = Decide(rules, {"connect", "h:1"}, "/w", state);
  EXPECT_EQ(a.stdoutText, "failed to connect\n");
  EXPECT_EQ(a.stateLines, Args{"used 1"});
  state = ParseState("used 1\n");
  EXPECT_EQ(Decide(rules, {"connect", "h:1"}, "/w", state).stdoutText, "failed to connect\n");
  state = ParseState("used 1\nused 1\n");
  a = Decide(rules, {"connect", "h:1"}, "/w", state);
  EXPECT_EQ(a.stdoutText, "already connected\n");
  EXPECT_TRUE(a.stateLines.empty());
}

TEST(Decide, PullFromCopiesToTheLocalPathOfTheCall) {
  const std::vector<Rule> rules{
      {.args = {"-s", "*", "pull", "**"}, .pullFrom = "/data/jt.png", .partialFirstMs = 50},
      {.args = {"pull", "/sdcard/ui.xml", "*"}, .stdoutText = "", .pullFrom = "/data/ui.xml"},
      {.args = {"shell", "**"}, .pullFrom = "/data/x"},
  };
  const struct {
    Args args;
    const char* cwd;
    const char* to;
  } cases[] = {
      {{"-s", "d", "pull", "/sdcard/jt.png", "/tmp/t/jt.png"}, "/w", "/tmp/t/jt.png"},
      {{"-s", "d", "pull", "/sdcard/jt.png", "out/jt.png"}, "/w", "/w/out/jt.png"},
      {{"-s", "d", "pull", "/sdcard/jt.png"}, "/w/", "/w/jt.png"},
      {{"-s", "d", "pull", "-a", "/sdcard/jt.png", "C:\\t\\jt.png"}, "C:\\w", "C:\\t\\jt.png"},
      {{"-s", "d", "pull", "/sdcard/jt.png", "jt.png"}, "C:\\w", "C:\\w\\jt.png"},
  };
  for (const auto& c : cases) {
    const Answer a = Decide(rules, c.args, c.cwd, {});
    EXPECT_EQ(a.pullFrom, "/data/jt.png");
    EXPECT_EQ(a.pullRemote, "/sdcard/jt.png");
    EXPECT_EQ(a.pullTo, c.to) << ::testing::PrintToString(c.args);
    EXPECT_EQ(a.partialFirstMs, 50);
    EXPECT_TRUE(a.reportPull);  // no "stdout": adb's own report
  }
  EXPECT_FALSE(Decide(rules, {"pull", "/sdcard/ui.xml", "u.xml"}, "/w", {}).reportPull);
  const Answer wrong = Decide(rules, {"shell", "ls"}, "/w", {});
  EXPECT_EQ(wrong.exitCode, 1);
  EXPECT_TRUE(wrong.pullFrom.empty());
}

TEST(ParseState, FoldsConnectsDisconnectsAndResets) {
  const State s = ParseState(
      "connected a:1\nconnected b:2\r\nconnected a:1\ndisconnected b:2\nused 3\nreset\nconnected c:3\nused 3\n"
      "used 12\ngarbage\n");
  EXPECT_EQ(s.connected, Args{"c:3"});
  EXPECT_EQ(s.uses.at(3), 2);
  EXPECT_EQ(s.uses.at(12), 1);
  EXPECT_TRUE(ParseState("").connected.empty());
}

TEST(PullReport, LeavesTheSizeOutForAnEmptyFile) {
  EXPECT_EQ(PullReport("/sdcard/jt.png", 76808),
            "/sdcard/jt.png: 1 file pulled, 0 skipped. 1.0 MB/s (76808 bytes in 0.001s)\n");
  EXPECT_EQ(PullReport("/sdcard/e", 0), "/sdcard/e: 1 file pulled, 0 skipped.\n");
}

TEST(ToCrLf, TurnsLoneLineFeedsIntoCrLf) {
  EXPECT_EQ(ToCrLf("a\nb\r\nc\n\n"), "a\r\nb\r\nc\r\n\r\n");
  EXPECT_EQ(ToCrLf(""), "");
  EXPECT_EQ(ToCrLf("\r"), "\r");
}

TEST(BaseName, TakesWhatFollowsTheLastSeparator) {
  EXPECT_EQ(BaseName("/sdcard/jt.png"), "jt.png");
  EXPECT_EQ(BaseName("C:\\t\\ui.xml"), "ui.xml");
  EXPECT_EQ(BaseName("plain"), "plain");
  EXPECT_EQ(BaseName("/sdcard/"), "");
}

}  // namespace
}  // namespace lingqiao::fake_adb
