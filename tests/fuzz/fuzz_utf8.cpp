// The UTF-8 console's conversion on any bytes, against a plain reading of the well-formed
// byte sequences table: every character gives its Windows-1252 byte, every maximal ill-formed
// subpart exactly one '?', and nothing faults.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/platform.hpp"
#include "platform/posix/codepage.hpp"
#include "platform/posix/windows_1252.hpp"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

struct Range {
  unsigned char low, high;
};

// The well-formed sequences: a lead byte and the ranges its continuation bytes must lie in.
struct Form {
  Range lead;
  int continuations;
  Range second;  // the other continuation bytes are 80..BF
};

constexpr Range kAny{0x80, 0xBF};
constexpr Form kForms[] = {
    {{0x00, 0x7F}, 0, {}},           {{0xC2, 0xDF}, 1, kAny},
    {{0xE0, 0xE0}, 2, {0xA0, 0xBF}}, {{0xE1, 0xEC}, 2, kAny},
    {{0xED, 0xED}, 2, {0x80, 0x9F}}, {{0xEE, 0xEF}, 2, kAny},
    {{0xF0, 0xF0}, 3, {0x90, 0xBF}}, {{0xF1, 0xF3}, 3, kAny},
    {{0xF4, 0xF4}, 3, {0x80, 0x8F}},
};

bool In(Range range, unsigned char byte) {
  return byte >= range.low && byte <= range.high;
}

// What one unit at `position` gives in Windows-1252, and its length.
char Unit(std::string_view text, std::size_t& position) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = at(position++);
  for (const Form& form : kForms) {
    if (!In(form.lead, lead)) continue;
    char32_t code_point = form.continuations == 0 ? lead : lead & (0x3F >> form.continuations);
    for (int k = 0; k < form.continuations; ++k) {
      // A continuation that does not fit ends the ill-formed subpart before it.
      if (position == text.size() || !In(k == 0 ? form.second : kAny, at(position))) return '?';
      code_point = (code_point << 6) | (at(position++) & 0x3F);
    }
    return static_cast<char>(platform::posix::UnicodeToAnsi(code_point));
  }
  return '?';  // a byte that begins no sequence is a subpart of its own
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  platform::posix::UseConsoleCharset(platform::posix::ConsoleCharset::Utf8);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
  const std::string_view console(reinterpret_cast<const char*>(bytes), size);
  std::string expected;
  for (std::size_t position = 0; position < console.size();) expected += Unit(console, position);
  std::string ansi = "left over";
  platform::ConsoleToAnsi(console, ansi);
  Require(ansi == expected);
  // And back: every Windows-1252 byte has a character, which a UTF-8 console shows.
  std::string shown = "left over";
  platform::AnsiToConsole(ansi, shown);
  std::string again;
  platform::ConsoleToAnsi(shown, again);
  Require(again == ansi);
  return 0;
}
