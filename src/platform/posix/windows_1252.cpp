#include "windows_1252.hpp"

#include <algorithm>
#include <iterator>

namespace platform::posix {
namespace {

struct UnicodeMapping {
  char16_t unicode;
  unsigned char ansi;
};

#include "codepage_utf8.inc"

constexpr unsigned char kDefaultChar = '?';

}  // namespace

char32_t AnsiToUnicode(unsigned char byte) {
  return kAnsiToUnicode[byte];
}

unsigned char UnicodeToAnsi(char32_t code_point) {
  // ASCII and the characters from U+00A0 on keep their value in Windows-1252.
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) {
    return static_cast<unsigned char>(code_point);
  }
  if (code_point > 0xFFFF) return kDefaultChar;
  const auto found = std::lower_bound(
      std::begin(kUnicodeToAnsi), std::end(kUnicodeToAnsi), code_point,
      [](const UnicodeMapping& entry, char32_t wanted) { return entry.unicode < wanted; });
  if (found == std::end(kUnicodeToAnsi) || found->unicode != code_point) return kDefaultChar;
  return found->ansi;
}

}  // namespace platform::posix
