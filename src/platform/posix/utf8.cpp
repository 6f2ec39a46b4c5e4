#include "utf8.hpp"

#include <array>
#include <cstdint>
#include <cstring>

namespace platform::posix::utf8 {
namespace {

struct LeadByte {
  std::size_t length;  // 0: never starts a character
  unsigned char second_low;
  unsigned char second_high;
};

// The well-formed sequences: the range of the second byte follows from the first one, which
// rules out overlong forms, surrogates and anything above U+10FFFF.
constexpr LeadByte Classify(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

constexpr auto kLeadBytes = [] {
  std::array<LeadByte, 256> table{};
  for (unsigned byte = 0; byte < table.size(); ++byte) table[byte] = Classify(byte);
  return table;
}();

}  // namespace

std::size_t DecodeOne(std::string_view text, std::size_t position, char32_t& code_point) {
  const auto lead = static_cast<unsigned char>(text[position]);
  if (lead < 0x80) {
    code_point = lead;
    return 1;
  }
  // Two bytes, the accented letters among them, are the most frequent after ASCII: taken
  // before the general walk. A C2 to DF lead takes any trail byte.
  if (lead >= 0xC2 && lead <= 0xDF && text.size() - position >= 2) {
    if (const auto trail = static_cast<unsigned char>(text[position + 1]); (trail & 0xC0) == 0x80) {
      code_point = (static_cast<char32_t>(lead & 0x1F) << 6) | (trail & 0x3Fu);
      return 2;
    }
  }
  const LeadByte kind = kLeadBytes[lead];
  code_point = kIllFormed;
  if (kind.length == 0) return 1;
  char32_t value = lead & (0x7Fu >> kind.length);
  for (std::size_t i = 1; i < kind.length; ++i) {
    if (position + i >= text.size()) return i;
    const auto byte = static_cast<unsigned char>(text[position + i]);
    const unsigned char low = i == 1 ? kind.second_low : 0x80;
    const unsigned char high = i == 1 ? kind.second_high : 0xBF;
    if (byte < low || byte > high) return i;
    value = (value << 6) | (byte & 0x3Fu);
  }
  code_point = value;
  return kind.length;
}

void Append(char32_t code_point, std::string& target) {
  const auto put = [&target](char32_t byte) { target.push_back(static_cast<char>(byte)); };
  if (code_point < 0x80) {
    put(code_point);
  } else if (code_point < 0x800) {
    put(0xC0 | (code_point >> 6));
    put(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    put(0xE0 | (code_point >> 12));
    put(0x80 | ((code_point >> 6) & 0x3F));
    put(0x80 | (code_point & 0x3F));
  } else {
    put(0xF0 | (code_point >> 18));
    put(0x80 | ((code_point >> 12) & 0x3F));
    put(0x80 | ((code_point >> 6) & 0x3F));
    put(0x80 | (code_point & 0x3F));
  }
}

}  // namespace platform::posix::utf8
