// The little JSON the fake adb speaks: its call log (one array of strings a line) and its
// rules file (one object a line). Strings are UTF-8 bytes; bytes of 0x80 and above pass
// through unchanged both ways, so whatever bytes a program got come back as they were.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lingqiao::fake_adb {

// The text as a JSON string, quotes included: '"', '\' and control characters escaped.
std::string JsonQuote(std::string_view text);

// ["a","b",...]
std::string JsonArray(const std::vector<std::string>& items);

struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;                 // kString
  std::vector<JsonValue> items;     // kArray, and the values of kObject
  std::vector<std::string> keys;    // kObject, in the order written, one per item

  // The value of an object's member, or null when there is none.
  const JsonValue* Find(std::string_view key) const;
};

// One JSON value, surrounding blanks allowed; anything else after it is an error.
// On failure `error` says what and where (a byte offset).
std::optional<JsonValue> ParseJson(std::string_view text, std::string& error);

// A JSON array of strings, as the call log holds them; nothing when the text is not one.
std::optional<std::vector<std::string>> ParseStringArray(std::string_view text);

}  // namespace lingqiao::fake_adb
