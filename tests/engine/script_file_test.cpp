#include "script_file.h"

#include <gtest/gtest.h>

#include <string>

namespace lingqiao {
namespace {

// The bytes of 延时(1) in GBK and in UTF-8.
constexpr char kGbkLine[] = "\xD1\xD3\xCA\xB1(1)";
constexpr char kUtf8Line[] = "\xE5\xBB\xB6\xE6\x97\xB6(1)";
constexpr char kBom[] = "\xEF\xBB\xBF";

TEST(PrepareScript, EncodingsAndLineEnds) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string text;
    bool converted;
    bool bom;
    int loneLineFeeds;
    bool crlf;
  } cases[] = {
      {"GBK as the main window stores it", std::string(kGbkLine) + "\r\n", std::string(kGbkLine) + "\r\n",
       false, false, 0, true},
      {"UTF-8", std::string(kUtf8Line) + "\r\n", std::string(kGbkLine) + "\r\n", true, false, 0, true},
      {"UTF-8 with a byte-order mark", std::string(kBom) + kUtf8Line, kGbkLine, true, true, 0, false},
      {"ASCII with a byte-order mark", std::string(kBom) + "(1)", "(1)", false, true, 0, false},
      {"ASCII only", "abc(1)\r\n", "abc(1)\r\n", false, false, 0, true},
      {"lone line feeds", std::string(kGbkLine) + "\n" + kGbkLine + "\n",
       std::string(kGbkLine) + "\n" + kGbkLine + "\n", false, false, 2, false},
      {"mixed line ends", "a\r\nb\nc\r\n", "a\r\nb\nc\r\n", false, false, 1, true},
      {"empty", "", "", false, false, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PreparedScript script = PrepareScript(c.bytes);
    EXPECT_EQ(script.text, c.text);
    EXPECT_EQ(script.convertedFromUtf8, c.converted);
    EXPECT_EQ(script.hadByteOrderMark, c.bom);
    EXPECT_EQ(script.loneLineFeeds, c.loneLineFeeds);
    EXPECT_EQ(script.hasCrLf, c.crlf);
  }
}

}  // namespace
}  // namespace lingqiao
