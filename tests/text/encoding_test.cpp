#include "text/encoding.h"

#include <gtest/gtest.h>

namespace lingqiao {
namespace {

// Bytes written as hex, so these cases hold whatever the compiler does with literals.
std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s.push_back(static_cast<char>(c));
  return s;
}

TEST(Literals, ChineseLiteralsCompileToGbk) {
  EXPECT_EQ(std::string("屏幕点击"), Bytes({0xC6, 0xC1, 0xC4, 0xBB, 0xB5, 0xE3, 0xBB, 0xF7}));
}

TEST(Encoding, RoundTripsBetweenGbkUtf8AndUtf16) {
  const std::string utf8 = "\xE5\xB1\x8F\xE5\xB9\x95\xE7\x82\xB9\xE5\x87\xBB(1,2)";  // 屏幕点击(1,2)
  const std::string gbk = Bytes({0xC6, 0xC1, 0xC4, 0xBB, 0xB5, 0xE3, 0xBB, 0xF7}) + "(1,2)";
  EXPECT_EQ(Utf8ToGbk(utf8), gbk);
  EXPECT_EQ(GbkToUtf8(gbk), utf8);
  EXPECT_EQ(GbkToUtf16(gbk), u"屏幕点击(1,2)");
  EXPECT_EQ(Utf16ToGbk(u"屏幕点击(1,2)"), gbk);
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(utf8)), utf8);
}

TEST(Encoding, CharactersOutsideCodePage936BecomeQuestionMarks) {
  // A Korean syllable: one "?"; an emoji, two UTF-16 units: one "?" each. The rest is kept.
  EXPECT_EQ(Utf8ToGbk("a\xEA\xB0\x80" "b\xF0\x9F\x98\x80" "c"), "a?b??c");
  EXPECT_EQ(Utf16ToGbk(u"x\U0001F600y"), "x??y");
}

TEST(Encoding, MalformedUtf8BecomesOneReplacementCharacterEach) {
  struct Case {
    const char* name;
    std::string in;
    std::u16string out;
  } cases[] = {
      {"lone continuation", "a\x80" "b", u"a\uFFFDb"},
      {"truncated three-byte sequence", "a\xE5\xB1" "b", u"a\uFFFDb"},
      {"truncated at the end", "ab\xE5", u"ab\uFFFD"},
      {"overlong form", "\xC0\xAF" "z", u"\uFFFD\uFFFDz"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.in), c.out) << c.name;
    EXPECT_FALSE(IsValidUtf8(c.in)) << c.name;
  }
  EXPECT_TRUE(IsValidUtf8("plain \xE8\xAE\xBE\xE7\xBD\xAE"));
}

TEST(Encoding, GbkDecodingNeverStopsEarly) {
  // A lead byte at the end, and a lead byte before a byte that cannot trail.
  EXPECT_EQ(GbkToUtf16(Bytes({'a', 0xC6})), u"a?");
  // Windows may take the byte after a lead byte with it; what follows is kept either way.
  const std::u16string broken = GbkToUtf16(Bytes({0xC6, '\n', 'b'}));
  EXPECT_EQ(broken.front(), u'?');
  EXPECT_EQ(broken.back(), u'b');
  EXPECT_EQ(GbkToUtf16(Bytes({0x80})), u"\u20AC");
}

}  // namespace
}  // namespace lingqiao
