// The runtime's French texts, read from the program's string table in the ANSI code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace runtime {

// A text of the string table holds at most 255 bytes and its closing zero.
inline constexpr std::size_t kTextSize = 256;

// The text of `id`, empty for an unknown id.
std::string TextById(uint32_t id);

}  // namespace runtime
