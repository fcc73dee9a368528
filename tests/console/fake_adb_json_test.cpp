#include "fake-adb/fake_adb_json.h"

#include <gtest/gtest.h>

namespace lingqiao::fake_adb {
namespace {

TEST(JsonQuote, EscapesQuotesBackslashesAndControlCharacters) {
  const struct {
    std::string in;
    const char* out;
  } cases[] = {
      {"adb", "\"adb\""},
      {"", "\"\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"C:\\x\\adb.exe", "\"C:\\\\x\\\\adb.exe\""},
      {"a\r\nb\tc", "\"a\\r\\nb\\tc\""},
      {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\x7f\""},
      {"\xE4\xB8\xAD\xE6\x96\x87", "\"\xE4\xB8\xAD\xE6\x96\x87\""},  // UTF-8 as it is
  };
  for (const auto& c : cases) EXPECT_EQ(JsonQuote(c.in), c.out) << c.in;
}

TEST(ParseStringArray, ReadsBackWhatJsonArrayWrote) {
  // Every byte value, a NUL included, comes back as it went in.
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::vector<std::string> items{"/tmp/a b", "", all, "\xE4\xB8\xAD", "\"'\\"};
  EXPECT_EQ(ParseStringArray(JsonArray(items)), items);
  EXPECT_EQ(ParseStringArray("[]"), std::vector<std::string>{});
  EXPECT_EQ(ParseStringArray("  [\"a\" , \"b\"]\r\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ParseStringArray("[\"a\",1]"), std::nullopt);
  EXPECT_EQ(ParseStringArray("{\"a\":1}"), std::nullopt);
}

TEST(ParseJson, DecodesEscapesIntoUtf8) {
  const struct {
    const char* in;
    const char* text;
  } cases[] = {
      {R"("\u4e2d\u6587")", "\xE4\xB8\xAD\xE6\x96\x87"},
      {R"("\ud83d\ude00")", "\xF0\x9F\x98\x80"},       // a surrogate pair
      {R"("\ud83dx")", "\xEF\xBF\xBDx"},                // a lone surrogate
      {R"("\/\b\f\n\r\t\"\\")", "/\b\f\n\r\t\"\\"},
      {R"("\u00e9")", "\xC3\xA9"},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto v = ParseJson(c.in, error);
    ASSERT_TRUE(v) << c.in << ": " << error;
    EXPECT_EQ(v->text, c.text) << c.in;
  }
}

TEST(ParseJson, ReadsObjectsNumbersAndLiterals) {
  std::string error;
  const auto v = ParseJson(R"({"a": [1, -2.5, 3e2], "b": true, "c": null, "d": {"e": "f"}})", error);
  ASSERT_TRUE(v) << error;
  ASSERT_EQ(v->kind, JsonValue::Kind::kObject);
  const JsonValue* a = v->Find("a");
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->items.size(), 3u);
  EXPECT_EQ(a->items[1].number, -2.5);
  EXPECT_EQ(a->items[2].number, 300);
  EXPECT_TRUE(v->Find("b")->boolean);
  EXPECT_EQ(v->Find("c")->kind, JsonValue::Kind::kNull);
  EXPECT_EQ(v->Find("d")->Find("e")->text, "f");
  EXPECT_EQ(v->Find("zz"), nullptr);
}

TEST(ParseJson, RejectsMalformedTextAndSaysWhere) {
  const struct {
    const char* in;
    const char* error;
  } cases[] = {
      {"", "missing value at byte 0"},
      {"[1,]", "unexpected character at byte 3"},
      {"{\"a\" 1}", "expected ':' at byte 5"},
      {"\"abc", "unterminated string at byte 4"},
      {"\"a\nb\"", "control character in string at byte 3"},
      {"\"\\x\"", "bad escape at byte 3"},
      {"[1] 2", "unexpected text after the value at byte 4"},
      {"1x", "unexpected text after the value at byte 1"},
      {"-", "bad number at byte 1"},
      {"tru", "unexpected character at byte 0"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseJson(c.in, error)) << c.in;
    EXPECT_EQ(error, c.error) << c.in;
  }
  std::string deep(100, '[');
  std::string error;
  EXPECT_FALSE(ParseJson(deep + std::string(100, ']'), error));
  EXPECT_NE(error.find("nesting too deep"), std::string::npos);
}

}  // namespace
}  // namespace lingqiao::fake_adb
