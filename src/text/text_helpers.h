// The shared text routines. Texts are GBK byte strings; positions count bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lingqiao {

// Splits at every separator. Pieces before a separator are kept even when empty; the rest
// after the last one only when it is not empty. A byte of 0x80 or more starts a double-byte
// character, inside which a separator is never found.
std::vector<std::string> SplitText(std::string_view text, std::string_view separator);

// Full-width ASCII forms (A3A1..A3FE) and the ideographic space (A1A1) count as their ASCII
// counterparts; then the text is read as atol reads it. The result saturates at the limits.
int32_t TextToInt(std::string_view text);

// UTF-8 text, read up to its first zero byte, as GBK.
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace lingqiao
