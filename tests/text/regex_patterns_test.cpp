// The patterns the system runs: the script line pattern over Chinese script lines, and the
// tap-on-text patterns over a line of a UI dump.
#include <string>
#include <vector>

#include "regex_test_support.h"

namespace lingqiao {
namespace {

const std::string kLinePattern = "([\\u4e00-\\u9fa5]*?)\\((.*?)\\)";

ExpectedMatch Line(std::string text, std::string name, std::string args) {
  return {std::move(text), {std::move(name), std::move(args)}};
}

RegexCase LineCase(const char* name, std::string line, std::vector<ExpectedMatch> matches) {
  return {.name = name, .pattern = kLinePattern, .subject = std::move(line),
          .matches = std::move(matches)};
}

class LinePatternCase : public testing::TestWithParam<RegexCase> {};

TEST_P(LinePatternCase, SplitsTheLineAsTheTableSays) { ExpectRegexCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Table, LinePatternCase,
    testing::Values(
        LineCase("Tap", "屏幕点击(100,200)", {Line("屏幕点击(100,200)", "屏幕点击", "100,200")}),
        LineCase("LineEndIsIgnored", "延时(1000)\r\n", {Line("延时(1000)", "延时", "1000")}),
        LineCase("BlankBeforeTheParenthesisLeavesNoName", "屏幕点击 (100,200)",
                 {Line("(100,200)", "", "100,200")}),
        LineCase("TextAroundTheCallIsIgnored", "abc屏幕点击(1,2)xyz",
                 {Line("屏幕点击(1,2)", "屏幕点击", "1,2")}),
        LineCase("ChineseBeforeTheNameBelongsToIt", "你好屏幕点击(1,2)",
                 {Line("你好屏幕点击(1,2)", "你好屏幕点击", "1,2")}),
        LineCase("CharacterOutsideTheRangeEndsTheName", "屏幕〇点击(1,2)",
                 {Line("点击(1,2)", "点击", "1,2")}),
        LineCase("SecondCallIsTheSecondMatch", "延时(1000)屏幕点击(1,2)",
                 {Line("延时(1000)", "延时", "1000"), Line("屏幕点击(1,2)", "屏幕点击", "1,2")}),
        LineCase("EmptyArguments", "屏幕点击()", {Line("屏幕点击()", "屏幕点击", "")}),
        LineCase("ArgumentsEndAtTheFirstClosingParenthesis", "执行命令(echo (hi))",
                 {Line("执行命令(echo (hi)", "执行命令", "echo (hi")}),
        LineCase("FullWidthParenthesesInsideTheArguments", "文本输入(（你好），世界)",
                 {Line("文本输入(（你好），世界)", "文本输入", "（你好），世界")}),
        LineCase("LastCharacterOfTheRange", "龥(1)", {Line("龥(1)", "龥", "1")}),
        LineCase("EmptyLine", "", {}), LineCase("Blanks", "   ", {}),
        LineCase("FullWidthParentheses", "屏幕点击（1,2）", {}),
        LineCase("OnlyAnOpeningParenthesis", "屏幕点击(1,2", {}),
        LineCase("ParenthesesTheWrongWayRound", "屏幕点击)1,2(", {}),
        LineCase("LineFeedInsideTheArguments", "屏幕点击(1,\n2)", {}),
        // Wine's VBScript refuses a carriage return in "." as well; Windows' takes it.
        RegexCase{.name = "CarriageReturnInsideTheArguments", .pattern = kLinePattern,
                  .subject = "文本输入(a\rb)",
                  .matches = {Line("文本输入(a\rb)", "文本输入", "a\rb")},
                  .onWine = std::vector<ExpectedMatch>{}}),
    CaseName);

// A node as uiautomator writes it, in one line with the others.
std::string Node(const std::string& text, const std::string& bounds) {
  return "<node index=\"0\" " + std::string("text=\"") + text +
         "\" resource-id=\"com.android.launcher3:id/icon\" class=\"android.widget.TextView\" "
         "package=\"com.android.launcher3\" content-desc=\"" + text +
         "\" checkable=\"false\" clickable=\"true\" bounds=\"" + bounds + "\" />";
}

// What the text pattern takes of such a node.
std::string NodeMatch(const std::string& text, const std::string& bounds) {
  const std::string node = Node(text, bounds);
  const size_t from = node.find("text=");
  return node.substr(from, node.rfind('"') + 1 - from);
}

// A dump line in UTF-8, as the device writes it, read as the system reads it.
std::string DumpLine() {
  const char8_t* utf8 =
      u8"<?xml version='1.0' encoding='UTF-8' standalone='yes' ?><hierarchy rotation=\"0\">"
      u8"<node index=\"0\" text=\"\" class=\"android.widget.FrameLayout\" bounds=\"[0,0][720,1280]\">"
      u8"<node index=\"0\" text=\"设置\" resource-id=\"com.android.launcher3:id/icon\" "
      u8"class=\"android.widget.TextView\" package=\"com.android.launcher3\" content-desc=\"设置\" "
      u8"checkable=\"false\" clickable=\"true\" bounds=\"[0,0][101,51]\" />"
      u8"<node index=\"0\" text=\"Play Store\" resource-id=\"com.android.launcher3:id/icon\" "
      u8"class=\"android.widget.TextView\" package=\"com.android.launcher3\" "
      u8"content-desc=\"Play Store\" checkable=\"false\" clickable=\"true\" "
      u8"bounds=\"[10,20][30,40]\" />"
      u8"<node index=\"0\" text=\"设置\" resource-id=\"com.android.launcher3:id/icon\" "
      u8"class=\"android.widget.TextView\" package=\"com.android.launcher3\" content-desc=\"设置\" "
      u8"checkable=\"false\" clickable=\"true\" bounds=\"[200,300][260,340]\" />"
      u8"</node></hierarchy>";
  return Utf8ToGbk(reinterpret_cast<const char*>(utf8));
}

std::string TextPattern(const std::string& text) {
  return "text=\"" + text + "\".*?bounds=\"(.*?)\"";
}

const std::string kBoundsPattern = "\\[(.*?),(.*?)\\]\\[(.*?),(.*?)\\]";

class UiDumpPatternCase : public testing::TestWithParam<RegexCase> {};

TEST_P(UiDumpPatternCase, FindsAsTheTableSays) { ExpectRegexCase(GetParam()); }

RegexCase DumpCase(const char* name, const std::string& text, std::vector<ExpectedMatch> m) {
  return {.name = name, .pattern = TextPattern(text), .subject = DumpLine(),
          .matches = std::move(m)};
}

RegexCase BoundsCase(const char* name, std::string bounds, std::vector<ExpectedMatch> m) {
  return {.name = name, .pattern = kBoundsPattern, .subject = std::move(bounds),
          .matches = std::move(m)};
}

INSTANTIATE_TEST_SUITE_P(
    Table, UiDumpPatternCase,
    testing::Values(
        DumpCase("ChineseTextFindsBothNodesFirstFirst", "设置",
                 {{NodeMatch("设置", "[0,0][101,51]"), {"[0,0][101,51]"}},
                  {NodeMatch("设置", "[200,300][260,340]"), {"[200,300][260,340]"}}}),
        DumpCase("TextInAnotherLetterCase", "PLAY store",
                 {{NodeMatch("Play Store", "[10,20][30,40]"), {"[10,20][30,40]"}}}),
        DumpCase("PartOfATextFindsNothing", "设", {}),
        DumpCase("PartOfALatinTextFindsNothing", "Store", {}),
        DumpCase("TextIsPatternSyntax", "Play.Store",
                 {{NodeMatch("Play Store", "[10,20][30,40]"), {"[10,20][30,40]"}}}),
        BoundsCase("BoundsGiveFourNumbers", "[0,0][101,51]",
                   {{"[0,0][101,51]", {"0", "0", "101", "51"}}}),
        BoundsCase("BoundsOfAnotherNode", "[10,20][30,40]",
                   {{"[10,20][30,40]", {"10", "20", "30", "40"}}}),
        BoundsCase("EmptyBounds", "", {}),
        BoundsCase("BoundsWithoutBrackets", "0,0,101,51", {})),
    CaseName);

// A dump of a busy screen is about 100 KB in one line; the node sought comes last.
TEST(UiDumpPattern, FindsTheLastNodeOfALargeDump) {
  std::string dump = "<hierarchy rotation=\"0\">";
  while (dump.size() < 100 * 1024) dump += Node("联系人", "[1,2][3,4]");
  dump += Node("设置", "[5,6][7,8]") + "</hierarchy>";
  RegexObject re;
  ASSERT_TRUE(re.Execute(TextPattern("设置"), dump));
  ASSERT_EQ(re.MatchCount(), 1);
  EXPECT_EQ(re.SubMatchText(1, 1), "[5,6][7,8]");
  ASSERT_TRUE(re.Execute(TextPattern("联系人"), dump));
  EXPECT_GT(re.MatchCount(), 300);
  ASSERT_TRUE(re.Execute(kBoundsPattern, re.SubMatchText(1, 1)));
  EXPECT_EQ(re.SubMatchCount(), 4);
  EXPECT_EQ(re.SubMatchText(1, 4), "4");
}

}  // namespace
}  // namespace lingqiao
