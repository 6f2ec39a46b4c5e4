// UTF-8, decoded by the Unicode substitution practice: every maximal ill-formed subpart is
// one unit of its own, so a broken sequence never swallows the characters after it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::posix::utf8 {

// What DecodeOne delivers for an ill-formed subpart.
inline constexpr char32_t kIllFormed = 0xFFFFFFFF;

// Decodes the unit that starts at `position` (< text.size()) into `code_point` and answers
// its length in bytes, at least 1.
std::size_t DecodeOne(std::string_view text, std::size_t position, char32_t& code_point);

// Appends the UTF-8 form of a code point (at most U+10FFFF, not a surrogate).
void Append(char32_t code_point, std::string& target);

}  // namespace platform::posix::utf8
