// The console's character set is the locale's (console_charset.hpp). The single-byte code
// pages convert through tables and UTF-8 character by character; every table is generated
// from Windows' own conversion (tools/gen_codepage_tables.sh).
#include "codepage.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
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

// A table that maps every ASCII byte to itself lets runs of ASCII through unread.
constexpr bool KeepsAscii(const unsigned char (&bytes)[256]) {
  for (unsigned byte = 0; byte < 0x80; ++byte) {
    if (bytes[byte] != byte) return false;
  }
  return true;
}

struct ByteTable {
  const unsigned char* bytes;
  bool keeps_ascii;
};

constexpr ByteTable TableOf(const unsigned char (&bytes)[256]) {
  return {bytes, KeepsAscii(bytes)};
}

struct ByteTables {
  ByteTable to_ansi;
  ByteTable to_console;
};

constexpr ByteTables TablesOf(ConsoleCharset charset) {
  switch (charset) {
    case ConsoleCharset::Cp437:
      return {TableOf(kOem437ToAnsi), TableOf(kAnsiToOem437)};
    case ConsoleCharset::Iso8859_1:
      return {TableOf(kOem28591ToAnsi), TableOf(kAnsiToOem28591)};
    case ConsoleCharset::Iso8859_15:
      return {TableOf(kOem28605ToAnsi), TableOf(kAnsiToOem28605)};
    case ConsoleCharset::Cp1252:
      return {TableOf(kOem1252ToAnsi), TableOf(kAnsiToOem1252)};
    case ConsoleCharset::Cp850:
    default:  // UTF-8 is converted character by character, never through these tables
      return {TableOf(kOem850ToAnsi), TableOf(kAnsiToOem850)};
  }
}

ConsoleCharset console_charset = ConsoleCharset::Cp850;
constinit ByteTables console_tables = TablesOf(ConsoleCharset::Cp850);

// Sixteen bytes at once: the compiler makes them one vector register where the machine has
// one, and plain words where it has none.
using Block = unsigned char __attribute__((vector_size(16)));

constexpr uint64_t kHighBits = 0x8080808080808080;

uint64_t HighBitsOf(const unsigned char* at) {
  uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return word & kHighBits;
}

// The bytes are gathered with OR and their high bits looked at once at the end; the last
// block may overlap bytes already looked at.
bool HasHighByte(const unsigned char* text, std::size_t count) {
  if (count < 8) return std::any_of(text, text + count, [](unsigned char b) { return b >= 0x80; });
  if (count < sizeof(Block)) return (HighBitsOf(text) | HighBitsOf(text + count - 8)) != 0;
  const unsigned char* const last = text + count - sizeof(Block);
  Block gathered;
  std::memcpy(&gathered, last, sizeof gathered);
  for (const unsigned char* at = text; at < last; at += sizeof(Block)) {
    Block block;
    std::memcpy(&block, at, sizeof block);
    gathered |= block;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(&gathered);
  return (HighBitsOf(bytes) | HighBitsOf(bytes + 8)) != 0;
}

// Every pair of bytes translated at once: 128 KiB, made from a byte table the first time a
// text with bytes above 0x7F needs it.
struct PairTable {
  const unsigned char* made_from = nullptr;
  uint16_t pairs[1 << 16];
};

PairTable to_ansi_pairs;
PairTable to_console_pairs;

// The table is indexed by the two bytes as they lie in memory, whatever the byte order.
void MakePairs(const unsigned char* table, PairTable& made) {
  for (unsigned index = 0; index < std::size(made.pairs); ++index) {
    unsigned char pair[2];
    const uint16_t key = static_cast<uint16_t>(index);
    std::memcpy(pair, &key, sizeof pair);
    const unsigned char translated[2] = {table[pair[0]], table[pair[1]]};
    std::memcpy(&made.pairs[index], translated, sizeof translated);
  }
  made.made_from = table;
}

void TranslateBytes(const unsigned char* table, PairTable& pairs, unsigned char* at,
                    std::size_t count) {
  if (pairs.made_from != table) MakePairs(table, pairs);
  const auto translate_pair = [&pairs](unsigned char* pair_at) {
    uint16_t pair;
    std::memcpy(&pair, pair_at, sizeof pair);
    std::memcpy(pair_at, &pairs.pairs[pair], sizeof pair);
  };
  for (; count >= 8; count -= 8, at += 8) {
    translate_pair(at);
    translate_pair(at + 2);
    translate_pair(at + 4);
    translate_pair(at + 6);
  }
  for (; count >= 2; count -= 2, at += 2) translate_pair(at);
  if (count == 1) *at = table[*at];
}

// A source that lies inside the target would be overwritten while it is read, once the
// lengths differ; it is converted from a copy.
bool Overlaps(std::string_view source, const std::string& target) {
  const std::less<const char*> before;
  return !before(source.data(), target.data()) &&
         before(source.data(), target.data() + target.size());
}

// A copy of the source in the target. Clearing and appending is the string's short path,
// which a source lying inside the target cannot take.
void CopyInto(std::string_view source, std::string& target) {
  if (Overlaps(source, target)) return target.assign(source), void();
  target.clear();
  target.append(source);
}

// The whole text is copied at once, then translated in place; a text all in ASCII, which
// most tables keep as it is, is left as copied.
void Translate(const ByteTable& table, PairTable& pairs, std::string_view source,
               std::string& target) {
  CopyInto(source, target);
  auto* const text = reinterpret_cast<unsigned char*>(target.data());
  if (table.keeps_ascii && !HasHighByte(text, target.size())) return;
  TranslateBytes(table.bytes, pairs, text, target.size());
}

// The index of the first byte in memory whose high bit is set, among the eight of a word.
unsigned FirstHighByte(uint64_t high_bits) {
  if constexpr (std::endian::native == std::endian::little) {
    return static_cast<unsigned>(std::countr_zero(high_bits)) / 8;
  } else {
    return static_cast<unsigned>(std::countl_zero(high_bits)) / 8;
  }
}

// Copies the ASCII bytes that `from` begins with, at most `left`, and answers how many. Words
// are stored whole, whatever their bytes: `to` must have room for `left` bytes.
std::size_t CopyAscii(const char* from, std::size_t left, char* to) {
  std::size_t copied = 0;
  for (; left - copied >= 8; copied += 8) {
    uint64_t word;
    std::memcpy(&word, from + copied, sizeof word);
    std::memcpy(to + copied, &word, sizeof word);
    if (const uint64_t high = word & kHighBits; high != 0) return copied + FirstHighByte(high);
  }
  for (; copied < left && static_cast<unsigned char>(from[copied]) < 0x80; ++copied) {
    to[copied] = from[copied];
  }
  return copied;
}

// Each ill-formed subpart and each character beyond U+FFFF becomes one '?'. A text all in
// ASCII is copied as it is; otherwise it is written straight into the target, which is never
// longer than the text: every unit gives one byte, so the output never gets ahead of the input.
void Utf8ToAnsi(std::string_view source, std::string& target) {
  const auto* const bytes = reinterpret_cast<const unsigned char*>(source.data());
  if (!HasHighByte(bytes, source.size())) return CopyInto(source, target);
  target.resize(source.size());
  char* const start = target.data();
  char* out = start;
  std::size_t position = 0;
  while (position < source.size()) {
    if (static_cast<unsigned char>(source[position]) < 0x80) {
      const std::size_t run = CopyAscii(source.data() + position, source.size() - position, out);
      position += run;
      out += run;
      continue;
    }
    char32_t code_point;
    position += posix::utf8::DecodeOne(source, position, code_point);
    *out++ = static_cast<char>(posix::UnicodeToAnsi(code_point));
  }
  target.resize(static_cast<std::size_t>(out - start));
}

void AnsiToUtf8(std::string_view source, std::string& target) {
  target.clear();
  for (const char byte : source) {
    posix::utf8::Append(posix::AnsiToUnicode(static_cast<unsigned char>(byte)), target);
  }
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
  console_tables = TablesOf(charset);
}

void AnsiToConsole(std::string_view source, std::string& target) {
  if (console_charset == ConsoleCharset::Utf8) return Convert(AnsiToUtf8, source, target);
  Translate(console_tables.to_console, to_console_pairs, source, target);
}

void ConsoleToAnsi(std::string_view source, std::string& target) {
  if (console_charset == ConsoleCharset::Utf8) return Convert(Utf8ToAnsi, source, target);
  Translate(console_tables.to_ansi, to_ansi_pairs, source, target);
}

}  // namespace platform
