#include "windows_1252.hpp"

#include <algorithm>
#include <array>
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

namespace {

constexpr unsigned char Lookup(char32_t code_point) {
  if (code_point < 0x80) return static_cast<unsigned char>(code_point);
  const auto found = std::lower_bound(
      std::begin(kUnicodeToAnsi), std::end(kUnicodeToAnsi), code_point,
      [](const UnicodeMapping& entry, char32_t wanted) { return entry.unicode < wanted; });
  if (found == std::end(kUnicodeToAnsi) || found->unicode != code_point) return kDefaultChar;
  return found->ansi;
}

// The characters of one and two UTF-8 bytes, the most frequent ones, are found at once.
constexpr auto kBelowU0800 = [] {
  std::array<unsigned char, 0x800> table{};
  for (char32_t code_point = 0; code_point < table.size(); ++code_point) {
    table[code_point] = Lookup(code_point);
  }
  return table;
}();

}  // namespace

unsigned char UnicodeToAnsi(char32_t code_point) {
  if (code_point < kBelowU0800.size()) return kBelowU0800[code_point];
  if (code_point > 0xFFFF) return kDefaultChar;
  return Lookup(code_point);
}

}  // namespace platform::posix
