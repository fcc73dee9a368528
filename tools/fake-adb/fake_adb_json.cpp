#include "fake_adb_json.h"

#include <charconv>

namespace lingqiao::fake_adb {
namespace {

constexpr int kMaxDepth = 64;

class Parser {
 public:
  Parser(std::string_view text, std::string& error) : s_(text), error_(error) {}

  std::optional<JsonValue> Document() {
    JsonValue value;
    SkipBlanks();
    if (!Value(value, 0)) return std::nullopt;
    SkipBlanks();
    if (i_ != s_.size()) {
      Fail("unexpected text after the value");
      return std::nullopt;
    }
    return value;
  }

 private:
  bool Fail(const std::string& what) {
    if (error_.empty()) error_ = what + " at byte " + std::to_string(i_);
    return false;
  }

  void SkipBlanks() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
  }

  bool Literal(std::string_view word) {
    if (s_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }

  bool Value(JsonValue& out, int depth) {
    if (depth > kMaxDepth) return Fail("nesting too deep");
    if (i_ >= s_.size()) return Fail("missing value");
    const char c = s_[i_];
    if (c == '"') {
      out.kind = JsonValue::Kind::kString;
      return String(out.text);
    }
    if (c == '[') return Array(out, depth);
    if (c == '{') return Object(out, depth);
    if (Literal("true")) {
      out.kind = JsonValue::Kind::kBool;
      out.boolean = true;
      return true;
    }
    if (Literal("false")) {
      out.kind = JsonValue::Kind::kBool;
      return true;
    }
    if (Literal("null")) return true;
    if (c == '-' || (c >= '0' && c <= '9')) return Number(out);
    return Fail("unexpected character");
  }

  bool Number(JsonValue& out) {
    const size_t start = i_;
    if (s_[i_] == '-') ++i_;
    auto digits = [&] {
      const size_t from = i_;
      while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
      return i_ > from;
    };
    if (!digits()) return Fail("bad number");
    if (i_ < s_.size() && s_[i_] == '.') {
      ++i_;
      if (!digits()) return Fail("bad number");
    }
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      ++i_;
      if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
      if (!digits()) return Fail("bad number");
    }
    out.kind = JsonValue::Kind::kNumber;
    const auto r = std::from_chars(s_.data() + start, s_.data() + i_, out.number);
    if (r.ec != std::errc()) return Fail("number out of range");
    return true;
  }

  static void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }

  bool Hex4(char32_t& out) {
    if (i_ + 4 > s_.size()) return false;
    out = 0;
    for (int k = 0; k < 4; ++k) {
      const char h = s_[i_++];
      out <<= 4;
      if (h >= '0' && h <= '9') {
        out |= static_cast<char32_t>(h - '0');
      } else if (h >= 'a' && h <= 'f') {
        out |= static_cast<char32_t>(h - 'a' + 10);
      } else if (h >= 'A' && h <= 'F') {
        out |= static_cast<char32_t>(h - 'A' + 10);
      } else {
        return false;
      }
    }
    return true;
  }

  bool String(std::string& out) {
    ++i_;  // the opening quote
    while (true) {
      if (i_ >= s_.size()) return Fail("unterminated string");
      const char c = s_[i_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return Fail("control character in string");
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (i_ >= s_.size()) return Fail("unterminated string");
      const char e = s_[i_++];
      switch (e) {
        case '"': out.push_back('"'); break;
        case '\\': out.push_back('\\'); break;
        case '/': out.push_back('/'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'u': {
          char32_t cp;
          if (!Hex4(cp)) return Fail("bad \\u escape");
          if (cp >= 0xD800 && cp <= 0xDBFF && s_.substr(i_, 2) == "\\u") {
            const size_t save = i_;
            i_ += 2;
            char32_t low;
            if (Hex4(low) && low >= 0xDC00 && low <= 0xDFFF) {
              cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            } else {
              i_ = save;
            }
          }
          if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;  // a surrogate left alone
          AppendUtf8(out, cp);
          break;
        }
        default:
          return Fail("bad escape");
      }
    }
  }

  bool Array(JsonValue& out, int depth) {
    out.kind = JsonValue::Kind::kArray;
    ++i_;
    SkipBlanks();
    if (i_ < s_.size() && s_[i_] == ']') {
      ++i_;
      return true;
    }
    while (true) {
      SkipBlanks();
      out.items.emplace_back();
      if (!Value(out.items.back(), depth + 1)) return false;
      SkipBlanks();
      if (i_ < s_.size() && s_[i_] == ',') {
        ++i_;
        continue;
      }
      if (i_ < s_.size() && s_[i_] == ']') {
        ++i_;
        return true;
      }
      return Fail("expected ',' or ']'");
    }
  }

  bool Object(JsonValue& out, int depth) {
    out.kind = JsonValue::Kind::kObject;
    ++i_;
    SkipBlanks();
    if (i_ < s_.size() && s_[i_] == '}') {
      ++i_;
      return true;
    }
    while (true) {
      SkipBlanks();
      if (i_ >= s_.size() || s_[i_] != '"') return Fail("expected a member name");
      std::string key;
      if (!String(key)) return false;
      SkipBlanks();
      if (i_ >= s_.size() || s_[i_] != ':') return Fail("expected ':'");
      ++i_;
      SkipBlanks();
      out.keys.push_back(std::move(key));
      out.items.emplace_back();
      if (!Value(out.items.back(), depth + 1)) return false;
      SkipBlanks();
      if (i_ < s_.size() && s_[i_] == ',') {
        ++i_;
        continue;
      }
      if (i_ < s_.size() && s_[i_] == '}') {
        ++i_;
        return true;
      }
      return Fail("expected ',' or '}'");
    }
  }

  std::string_view s_;
  std::string& error_;
  size_t i_ = 0;
};

}  // namespace

std::string JsonQuote(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (u < 0x20) {
          out += "\\u00";
          out.push_back(kHex[u >> 4]);
          out.push_back(kHex[u & 0xF]);
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
  return out;
}

std::string JsonArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out.push_back(',');
    out += JsonQuote(items[i]);
  }
  out.push_back(']');
  return out;
}

const JsonValue* JsonValue::Find(std::string_view key) const {
  for (size_t i = 0; i < keys.size() && i < items.size(); ++i) {
    if (keys[i] == key) return &items[i];
  }
  return nullptr;
}

std::optional<JsonValue> ParseJson(std::string_view text, std::string& error) {
  error.clear();
  return Parser(text, error).Document();
}

std::optional<std::vector<std::string>> ParseStringArray(std::string_view text) {
  std::string error;
  const std::optional<JsonValue> value = ParseJson(text, error);
  if (!value || value->kind != JsonValue::Kind::kArray) return std::nullopt;
  std::vector<std::string> out;
  for (const JsonValue& item : value->items) {
    if (item.kind != JsonValue::Kind::kString) return std::nullopt;
    out.push_back(item.text);
  }
  return out;
}

}  // namespace lingqiao::fake_adb
