// The console's character set is the locale's (console_charset.hpp). The single-byte code
// pages convert through tables and UTF-8 character by character; every table is generated
// from Windows' own conversion (tools/gen_codepage_tables.sh).
#include "codepage.hpp"

#include <functional>

#include "../platform.hpp"
#include "utf8.hpp"
#include "windows_1252.hpp"

namespace platform {
namespace {

#include "codepage_1252.inc"
#include "codepage_28591.inc"
#include "codepage_28605.inc"
#include "codepage_437.inc"
#include "codepage_850.inc"

using posix::ConsoleCharset;

struct ByteTables {
  const unsigned char (&to_ansi)[256];
  const unsigned char (&to_console)[256];
};

ConsoleCharset console_charset = ConsoleCharset::Cp850;

ByteTables TablesOf(ConsoleCharset charset) {
  switch (charset) {
    case ConsoleCharset::Cp437:
      return {kOem437ToAnsi, kAnsiToOem437};
    case ConsoleCharset::Iso8859_1:
      return {kOem28591ToAnsi, kAnsiToOem28591};
    case ConsoleCharset::Iso8859_15:
      return {kOem28605ToAnsi, kAnsiToOem28605};
    case ConsoleCharset::Cp1252:
      return {kOem1252ToAnsi, kAnsiToOem1252};
    case ConsoleCharset::Cp850:
    default:  // UTF-8 is converted character by character, never through these tables
      return {kOem850ToAnsi, kAnsiToOem850};
  }
}

void Translate(const unsigned char (&table)[256], std::string_view source, std::string& target) {
  target.resize(source.size());
  for (std::size_t i = 0; i < source.size(); ++i) {
    target[i] = static_cast<char>(table[static_cast<unsigned char>(source[i])]);
  }
}

// Each ill-formed subpart and each character beyond U+FFFF becomes one '?'.
void Utf8ToAnsi(std::string_view source, std::string& target) {
  target.clear();
  target.reserve(source.size());
  for (std::size_t position = 0; position < source.size();) {
    char32_t code_point;
    position += posix::utf8::DecodeOne(source, position, code_point);
    target.push_back(static_cast<char>(posix::UnicodeToAnsi(code_point)));
  }
}

void AnsiToUtf8(std::string_view source, std::string& target) {
  target.clear();
  for (const char byte : source) {
    posix::utf8::Append(posix::AnsiToUnicode(static_cast<unsigned char>(byte)), target);
  }
}

// A source that lies inside the target would be overwritten while it is read, once the
// lengths differ; it is converted from a copy.
bool Overlaps(std::string_view source, const std::string& target) {
  const std::less<const char*> before;
  return !before(source.data(), target.data()) &&
         before(source.data(), target.data() + target.size());
}

void Convert(void (*conversion)(std::string_view, std::string&), std::string_view source,
             std::string& target) {
  if (Overlaps(source, target)) {
    const std::string copy(source);
    conversion(copy, target);
  } else {
    conversion(source, target);
  }
}

}  // namespace

void posix::UseConsoleCharset(ConsoleCharset charset) {
  console_charset = charset;
}

void AnsiToConsole(std::string_view source, std::string& target) {
  if (console_charset == ConsoleCharset::Utf8) return Convert(AnsiToUtf8, source, target);
  Translate(TablesOf(console_charset).to_console, source, target);
}

void ConsoleToAnsi(std::string_view source, std::string& target) {
  if (console_charset == ConsoleCharset::Utf8) return Convert(Utf8ToAnsi, source, target);
  Translate(TablesOf(console_charset).to_ansi, source, target);
}

}  // namespace platform
