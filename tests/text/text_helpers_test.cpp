#include "text/text_helpers.h"

#include <gtest/gtest.h>

namespace lingqiao {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitText, Table) {
  struct Case {
    std::string text, sep;
    Pieces pieces;
  } cases[] = {
      {"1,2", ",", {"1", "2"}},
      {"1,2,", ",", {"1", "2"}},
      {"1,,2", ",", {"1", "", "2"}},
      {",2", ",", {"", "2"}},
      {"", ",", {}},
      {",", ",", {""}},
      {"a\r\nb\r\n", "\r\n", {"a", "b"}},
      {"a\r\nb\r\n\r\n", "\r\n", {"a", "b", ""}},
      {"a\nb\nc", "\r\n", {"a\nb\nc"}},
      {"\r\n\r\nx", "\r\n", {"", "", "x"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitText(c.text, c.sep), c.pieces) << c.text;
}

TEST(SplitText, NeverFindsTheSeparatorInsideADoubleByteCharacter) {
  // No GBK trail byte is a comma, but '@' (0x40) and '|' (0x7C) are.
  const std::string k40 = "\x81\x40";  // trail byte '@'
  const std::string k7c = "\x81\x7C";  // trail byte '|'
  EXPECT_EQ(SplitText("a" + k40 + "b@c", "@"), (Pieces{"a" + k40 + "b", "c"}));
  EXPECT_EQ(SplitText(k7c + "|" + k7c, "|"), (Pieces{k7c, k7c}));
  // A GBK separator itself: the full-width comma.
  EXPECT_EQ(SplitText("1，2", "，"), (Pieces{"1", "2"}));
}

TEST(TextToInt, Table) {
  struct Case {
    std::string text;
    int32_t value;
  } cases[] = {
      {"12abc", 12},
      {"abc", 0},
      {" -5", -5},
      {"１２", 12},        // full-width digits
      {"　－３", -3},      // ideographic space, full-width minus
      {"", 0},
      {"+7", 7},
      {"\t\r\n 42 43", 42},
      {"- 5", 0},
      {"99999999999", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-99999999999", -2147483647 - 1},
      {"3点", 3},
  };
  for (const Case& c : cases) EXPECT_EQ(TextToInt(c.text), c.value) << c.text;
}

TEST(Utf8ToAnsi, ConvertsUpToTheFirstZero) {
  EXPECT_EQ(Utf8ToAnsi("\xE8\xAE\xBE\xE7\xBD\xAE"), "设置");
  EXPECT_EQ(Utf8ToAnsi("plain ascii"), "plain ascii");
  EXPECT_EQ(Utf8ToAnsi(std::string_view("ab\0cd", 5)), "ab");
  EXPECT_EQ(Utf8ToAnsi(""), "");
}

}  // namespace
}  // namespace lingqiao
