// The few UTF-8 routines the simulator needs; its texts are UTF-8 throughout.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace lingqiao::sim {

// Length of the valid UTF-8 sequence at the start of bytes (shortest form, no surrogates), or 0.
std::size_t Utf8SequenceLength(std::string_view bytes);

// Code points of the text; a byte that does not start a valid sequence stands for itself.
std::vector<char32_t> DecodeUtf8(std::string_view text);

}  // namespace lingqiao::sim
