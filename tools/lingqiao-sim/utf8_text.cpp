#include "utf8_text.h"

#include <cstdint>

namespace lingqiao::sim {

std::size_t Utf8SequenceLength(std::string_view bytes) {
  if (bytes.empty()) return 0;
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = b(0);
  std::size_t length = 0;
  uint32_t min = 0;
  uint32_t code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2, min = 0x80, code = lead & 0x1f;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3, min = 0x800, code = lead & 0x0f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4, min = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((b(i) & 0xc0) != 0x80) return 0;
    code = (code << 6) | (b(i) & 0x3f);
  }
  if (code < min || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return 0;
  return length;
}

std::vector<char32_t> DecodeUtf8(std::string_view text) {
  std::vector<char32_t> out;
  while (!text.empty()) {
    const std::size_t length = Utf8SequenceLength(text);
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    if (length <= 1) {
      out.push_back(lead);
      text.remove_prefix(1);
      continue;
    }
    char32_t code = lead & (0x7f >> length);
    for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (text[k] & 0x3f);
    out.push_back(code);
    text.remove_prefix(length);
  }
  return out;
}

}  // namespace lingqiao::sim
