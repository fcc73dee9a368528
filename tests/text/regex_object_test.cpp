// How RegexObject reads patterns, counts and reports; the same cases for every engine.
#include <string>
#include <thread>
#include <vector>

#include "regex_test_support.h"

namespace lingqiao {
namespace {

class RegexObjectCase : public testing::TestWithParam<RegexCase> {};

TEST_P(RegexObjectCase, MatchesAsTheTableSays) { ExpectRegexCase(GetParam()); }

// Wine's VBScript never steps past an empty match in a global search: Execute loops until
// memory runs out. The VBScript of Windows steps one character on, as ECMAScript does.
constexpr const char* kWineLoopsOnEmptyMatches = "Wine's VBScript loops on a global empty match";

const RegexCase kObjectCases[] = {
    {.name = "TwoGroupsOverASubjectWithoutThePair", .pattern = "(a)(b)", .subject = "xyz",
     .matches = {}},
    {.name = "GlobalSearchFindsEveryPair", .pattern = "(a)(b)", .subject = "abab",
     .matches = {{"ab", {"a", "b"}}, {"ab", {"a", "b"}}}},
    {.name = "OnlyTheFirstWithoutGlobal", .pattern = "(a)(b)", .subject = "abab",
     .matches = {{"ab", {"a", "b"}}}, .global = false},
    {.name = "LoneOpeningParenthesisIsRejected", .pattern = "(", .subject = "(",
     .matches = {}, .executes = false},
    {.name = "UpperCaseInPatternMatchesLowerCase", .pattern = "ABC", .subject = "xabcx",
     .matches = {{"abc", {}}}},
    {.name = "LowerCaseInPatternMatchesUpperCase", .pattern = "abc", .subject = "xABCx",
     .matches = {{"ABC", {}}}},
    {.name = "CaseSensitiveOnRequest", .pattern = "ABC", .subject = "abc ABC",
     .matches = {{"ABC", {}}}, .caseSensitive = true},
    {.name = "QuotePlaceholderMatchesADoubleQuote", .pattern = "text=#引号(.*?)#引号",
     .subject = "<node text=\"设置\" bounds=\"\"/>", .matches = {{"text=\"设置\"", {"设置"}}},
     .quotePlaceholder = true},
    {.name = "QuotePlaceholderIsPlainTextWithoutTheOption", .pattern = "text=#引号(.*?)#引号",
     .subject = "text=\"x\" text=#引号y#引号", .matches = {{"text=#引号y#引号", {"y"}}}},
    {.name = "DotDoesNotMatchALineFeed", .pattern = "a.b", .subject = "a\nb", .matches = {}},
    // Wine's VBScript refuses a carriage return too; the VBScript of Windows does not.
    {.name = "DotMatchesACarriageReturn", .pattern = "a.b", .subject = "a\rb",
     .matches = {{"a\rb", {}}}, .onWine = std::vector<ExpectedMatch>{}},
    {.name = "DotMatchesAChineseCharacter", .pattern = "a.b", .subject = "a设b",
     .matches = {{"a设b", {}}}},
    {.name = "CaretStartsEveryLineByDefault", .pattern = "^b.", .subject = "ab\nbc\nbd",
     .matches = {{"bc", {}}, {"bd", {}}}},
    {.name = "CaretStartsOnlyTheSubjectWithoutMultiline", .pattern = "^.", .subject = "ab\nbc",
     .matches = {{"a", {}}}, .multiline = false},
    {.name = "DollarEndsEveryLineByDefault", .pattern = ".\\d$", .subject = "a1\nb2\nc",
     .matches = {{"a1", {}}, {"b2", {}}}},
    {.name = "DollarEndsOnlyTheSubjectWithoutMultiline", .pattern = "\\d$",
     .subject = "1\n2\n", .matches = {}, .multiline = false},
    // After an empty match the search goes on one character later.
    {.name = "EmptyMatchesStepOneCharacter", .pattern = "a*", .subject = "baa",
     .matches = {{"", {}}, {"aa", {}}, {"", {}}},
     .skipOnWine = kWineLoopsOnEmptyMatches},
    {.name = "EmptyMatchIsNotRetriedForALongerOne", .pattern = "|a", .subject = "a",
     .matches = {{"", {}}, {"", {}}},
     .skipOnWine = kWineLoopsOnEmptyMatches},
    {.name = "EmptyMatchesStepOverWholeChineseCharacters", .pattern = "x*", .subject = "屏幕",
     .matches = {{"", {}}, {"", {}}, {"", {}}},
     .skipOnWine = kWineLoopsOnEmptyMatches},
    {.name = "DotStarTakesEachLineAndTheEmptyRest", .pattern = ".*", .subject = "ab\ncd",
     .matches = {{"ab", {}}, {"", {}}, {"cd", {}}, {"", {}}},
     .skipOnWine = kWineLoopsOnEmptyMatches},
    {.name = "BackslashUIsACodePoint", .pattern = "[\\u4e00-\\u9fa5]+",
     .subject = "ab屏幕点击cd", .matches = {{"屏幕点击", {}}}},
    {.name = "BackslashUIgnoresCase", .pattern = "\\u0041\\u4E00", .subject = "xa一",
     .matches = {{"a一", {}}}},
    {.name = "LazyQuantifierStopsEarly", .pattern = "a(.*?)b", .subject = "a1b2b",
     .matches = {{"a1b", {"1"}}}},
    {.name = "GroupOutsideTheMatchIsEmpty", .pattern = "(a)|(b)", .subject = "ba",
     .matches = {{"b", {"", "b"}}, {"a", {"a", ""}}}},
    {.name = "TrailingOptionalGroupIsEmpty", .pattern = "(a)(x)?", .subject = "a",
     .matches = {{"a", {"a", ""}}}},
    {.name = "EmptySubjectGivesOneEmptyMatch", .pattern = "(a?)", .subject = "",
     .matches = {{"", {""}}},
     .skipOnWine = kWineLoopsOnEmptyMatches},
    {.name = "ChineseTextMatchesItself", .pattern = "点击(\\d+)", .subject = "屏幕点击12点击3",
     .matches = {{"点击12", {"12"}}, {"点击3", {"3"}}}},
};

INSTANTIATE_TEST_SUITE_P(Table, RegexObjectCase, testing::ValuesIn(kObjectCases), CaseName);

struct ReplaceCase {
  const char* name;
  std::string pattern;
  std::string subject;
  std::string replacement;
  std::string result;
  bool global = true;
};

class RegexReplaceCase : public testing::TestWithParam<ReplaceCase> {};

TEST_P(RegexReplaceCase, ReplacesAsTheTableSays) {
  const ReplaceCase& c = GetParam();
  RegexObject re;
  re.Execute(c.pattern, c.subject, false, true, c.global);
  EXPECT_EQ(Shown(re.Replace(c.replacement)), Shown(c.result));
}

const ReplaceCase kReplaceCases[] = {
    {"GroupsInAnyOrder", "(a)(b)", "ab-ab", "$2$1", "ba-ba"},
    {"OnlyTheFirstWithoutGlobal", "(a)(b)", "ab-ab", "$2$1", "ba-ab", false},
    {"WholeMatch", "b", "abc", "[$&]", "a[b]c"},
    {"TextBeforeTheMatch", "b", "abc", "[$`]", "a[a]c"},
    {"TextAfterTheMatch", "b", "abc", "[$']", "a[c]c"},
    {"DollarDollarIsOneDollar", "b", "abc", "$$", "a$c"},
    {"GroupThePatternLacksStaysAsWritten", "(a)(b)", "ab", "$3", "$3"},
    {"DollarZeroStaysAsWritten", "(a)", "a", "$0", "$0"},
    {"TwoDigitGroupNumber", "(a)", "a", "$01", "a"},
    {"TwoDigitsFallBackToOne", "(a)(b)", "ab", "$10", "a0"},
    {"LoneDollarStaysAsWritten", "b", "abc", "$x$", "a$x$c"},
    {"NoMatchLeavesTheSubject", "q", "abc", "z", "abc"},
    {"ChineseGroups", "([\\u4e00-\\u9fa5]*?)\\((.*?)\\)", "屏幕点击(1,2)", "$2|$1", "1,2|屏幕点击"},
    {"RejectedPatternGivesEmpty", "(", "abc", "x", ""},
};

INSTANTIATE_TEST_SUITE_P(Table, RegexReplaceCase, testing::ValuesIn(kReplaceCases),
                         [](const testing::TestParamInfo<ReplaceCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(RegexObject, ReadsNothingBeforeTheFirstExecute) {
  const RegexObject re;
  EXPECT_EQ(re.MatchCount(), 0);
  EXPECT_EQ(re.SubMatchCount(), 0);
  EXPECT_EQ(re.MatchText(1), "");
  EXPECT_EQ(re.SubMatchText(1, 1), "");
  EXPECT_EQ(re.GetPattern(), "");
  EXPECT_EQ(re.Replace("x"), "");
}

TEST(RegexObject, GetPatternGivesThePatternAfterThePlaceholders) {
  RegexObject re;
  re.Execute("a#引号b#引号", "", false, true, true, true);
  EXPECT_EQ(re.GetPattern(), "a\"b\"");
  re.Execute("屏幕#引号", "");
  EXPECT_EQ(Shown(re.GetPattern()), Shown("屏幕#引号"));
  // The engine keeps a pattern it refused; only the matches are gone.
  EXPECT_FALSE(re.Execute("(", "("));
  EXPECT_EQ(re.GetPattern(), "(");
}

TEST(RegexObject, EachExecuteReplacesTheLastOnesResults) {
  RegexObject re;
  ASSERT_TRUE(re.Execute("(a)(b)", "ab"));
  ASSERT_TRUE(re.Execute("\\[(\\d+)\\]", "[1][23]"));
  EXPECT_EQ(re.MatchCount(), 2);
  EXPECT_EQ(re.SubMatchCount(), 1);
  EXPECT_EQ(re.SubMatchText(2, 1), "23");
  EXPECT_EQ(re.SubMatchText(1, 2), "");
  EXPECT_FALSE(re.Execute("(", "ab"));
  EXPECT_EQ(re.MatchCount(), 0);
  EXPECT_EQ(re.SubMatchCount(), 0);
  EXPECT_EQ(re.Replace("x"), "");
}

TEST(RegexObject, CopySharesTheResultsAndKeepsThemThroughTheOriginalsNextExecute) {
  RegexObject original;
  original.Execute("(a)(b)", "abab");
  RegexObject copy(original);
  EXPECT_EQ(copy.MatchCount(), 2);
  EXPECT_EQ(copy.SubMatchText(2, 2), "b");
  EXPECT_EQ(copy.Replace("$2"), "bb");

  original.Execute("(x)", "x");
  EXPECT_EQ(original.MatchCount(), 1);
  EXPECT_EQ(copy.MatchCount(), 2);
  EXPECT_EQ(copy.GetPattern(), "(a)(b)");

  RegexObject assigned;
  assigned.Execute("(q)", "qqq");
  assigned = original;
  EXPECT_EQ(assigned.MatchCount(), 1);
  EXPECT_EQ(assigned.SubMatchText(1, 1), "x");
  assigned = assigned;
  EXPECT_EQ(assigned.MatchCount(), 1);
}

// The run thread and the UI thread split lines at the same time, each with its own objects.
TEST(RegexObject, ThreadsUseTheirOwnObjectsAtTheSameTime) {
  auto splitLines = [](std::string name, int* wrong) {
    for (int i = 0; i < 200; ++i) {
      RegexObject re;
      const std::string args = std::to_string(i) + "," + std::to_string(i * 2);
      re.Execute("([\\u4e00-\\u9fa5]*?)\\((.*?)\\)", name + "(" + args + ")");
      if (re.SubMatchText(1, 1) != name || re.SubMatchText(1, 2) != args) ++*wrong;
    }
  };
  int wrongA = 0, wrongB = 0;
  std::thread a(splitLines, std::string("屏幕点击"), &wrongA);
  std::thread b(splitLines, std::string("延时"), &wrongB);
  a.join();
  b.join();
  EXPECT_EQ(wrongA, 0);
  EXPECT_EQ(wrongB, 0);
}

// PCRE2 gives up on a search that backtracks without end and reports it as a refused
// pattern; "VBScript.RegExp" has no such limit and would spin for hours here.
TEST(RegexObject, SearchThatBacktracksWithoutEndGivesUp) {
  if (CurrentRegexBackend() != RegexBackend::Pcre2) GTEST_SKIP() << "no match limit in VBScript";
  RegexObject re;
  EXPECT_FALSE(re.Execute("^(a+)+$", std::string(40, 'a') + "!"));
  EXPECT_EQ(re.MatchCount(), 0);
  EXPECT_EQ(re.SubMatchCount(), 0);
  EXPECT_EQ(re.Replace("x"), "");
  EXPECT_TRUE(re.Execute("^(a+)+$", std::string(40, 'a')));
  EXPECT_EQ(re.MatchCount(), 1);
}

}  // namespace
}  // namespace lingqiao
