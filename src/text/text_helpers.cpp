#include "text/text_helpers.h"

#include <limits>

#include "text/encoding.h"

namespace lingqiao {

std::vector<std::string> SplitText(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, separator.size(), separator) == 0) {
      pieces.emplace_back(text.substr(start, i - start));
      i += separator.size();
      start = i;
    } else if (static_cast<unsigned char>(text[i]) >= 0x80) {
      i += 2;
    } else {
      i += 1;
    }
  }
  if (start < text.size()) pieces.emplace_back(text.substr(start));
  return pieces;
}

int32_t TextToInt(std::string_view text) {
  std::string ascii;
  ascii.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b >= 0x80 && i + 1 < text.size()) {
      const auto t = static_cast<unsigned char>(text[i + 1]);
      if (b == 0xA3 && t >= 0xA1 && t <= 0xFE) {
        ascii.push_back(static_cast<char>(t - 0x80));
      } else if (b == 0xA1 && t == 0xA1) {
        ascii.push_back(' ');
      } else {
        ascii.push_back(text[i]);
        ascii.push_back(text[i + 1]);
      }
      ++i;
    } else {
      ascii.push_back(text[i]);
    }
  }
  size_t i = 0;
  auto is_space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < ascii.size() && is_space(ascii[i])) ++i;
  bool negative = false;
  if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) {
    negative = ascii[i] == '-';
    ++i;
  }
  int64_t value = 0;
  constexpr int64_t kLimit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
  for (; i < ascii.size() && ascii[i] >= '0' && ascii[i] <= '9'; ++i) {
    value = value * 10 + (ascii[i] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value >= kLimit ? kLimit - 1 : value);
}

std::string Utf8ToAnsi(std::string_view utf8) {
  const size_t zero = utf8.find('\0');
  if (zero != std::string_view::npos) utf8 = utf8.substr(0, zero);
  return Utf8ToGbk(utf8);
}

}  // namespace lingqiao
