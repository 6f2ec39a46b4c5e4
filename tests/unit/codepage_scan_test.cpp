// The conversions look at many bytes at a time and let ASCII through as copied: a byte that
// needs converting must be found at every offset of a block, and in the last, overlapping one.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.hpp"
#include "platform/posix/codepage.hpp"

namespace platform::posix {
namespace {

using enum ConsoleCharset;

class ConversionScan : public ::testing::Test {
 protected:
  void TearDown() override { UseConsoleCharset(Cp850); }

  static std::string ToAnsi(const std::string& console) {
    std::string ansi = "left over";
    ConsoleToAnsi(console, ansi);
    return ansi;
  }
};

// Each byte converted alone takes no word path: it is the reference for every longer text.
TEST_F(ConversionScan, OneByteToConvertIsFoundAtEveryOffset) {
  for (const ConsoleCharset charset : {Cp850, Cp437, Iso8859_1, Iso8859_15, Cp1252}) {
    UseConsoleCharset(charset);
    for (const unsigned char byte : {0x80, 0x82, 0xA4, 0xD5, 0xFF, 0x7F}) {
      const std::string converted = ToAnsi(std::string(1, static_cast<char>(byte)));
      for (std::size_t length = 1; length <= 40; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
          SCOPED_TRACE(testing::Message() << "charset " << static_cast<int>(charset) << ", byte "
                                          << int{byte} << " at " << at << " of " << length);
          std::string console(length, 'a');
          console[at] = static_cast<char>(byte);
          std::string expected(length, 'a');
          expected.replace(at, 1, converted);
          ASSERT_EQ(ToAnsi(console), expected);
        }
      }
    }
  }
}

// Texts with bytes above 0x7F go through two bytes at a time: every pair, at an even and at
// an odd offset, must come out as its two bytes converted one by one.
TEST_F(ConversionScan, EveryPairOfBytesConvertsAsItsTwoBytes) {
  for (const ConsoleCharset charset : {Cp850, Cp437, Iso8859_1, Iso8859_15, Cp1252}) {
    UseConsoleCharset(charset);
    std::string alone[256];
    for (unsigned byte = 0; byte < 256; ++byte) alone[byte] = ToAnsi(std::string(1, char(byte)));
    for (const std::string prefix : {"", "\x82"}) {
      SCOPED_TRACE(testing::Message()
                   << "charset " << static_cast<int>(charset) << ", offset " << prefix.size());
      std::string console = prefix;
      std::string expected = ToAnsi(prefix);
      for (unsigned pair = 0; pair < 0x10000; ++pair) {
        console += static_cast<char>(pair & 0xFF);
        console += static_cast<char>(pair >> 8);
        expected += alone[pair & 0xFF] + alone[pair >> 8];
      }
      ASSERT_EQ(ToAnsi(console), expected);
    }
  }
}

// A text converted into its own string, whole or from a part of it, comes out as if it had
// been converted from a copy.
TEST_F(ConversionScan, ASourceInsideTheTargetConvertsAsACopyWould) {
  const std::string texts[] = {"plain ASCII text of some length", "caf\x82 and \xC3\xA9t\xC3\xA9"};
  for (const ConsoleCharset charset : {Cp850, Utf8}) {
    UseConsoleCharset(charset);
    for (const std::string& text : texts) {
      for (const std::size_t offset : {std::size_t{0}, std::size_t{3}}) {
        SCOPED_TRACE(testing::Message() << "charset " << static_cast<int>(charset) << ", " << text
                                        << " from " << offset);
        std::string target = text;
        ConsoleToAnsi(std::string_view(target).substr(offset), target);
        EXPECT_EQ(target, ToAnsi(text.substr(offset)));
      }
    }
  }
}

TEST_F(ConversionScan, AUtf8CharacterIsFoundAtEveryOffsetOfTheAscii) {
  UseConsoleCharset(Utf8);
  for (std::size_t length = 0; length <= 40; ++length) {
    for (std::size_t at = 0; at <= length; ++at) {
      SCOPED_TRACE(testing::Message() << "at " << at << " of " << length);
      std::string console(length, 'a');
      console.insert(at, "\xC3\xA9");  // e acute
      std::string expected(length, 'a');
      expected.insert(at, "\xE9");
      ASSERT_EQ(ToAnsi(console), expected);
    }
  }
}

// ASCII runs are copied a word at a time, other characters one by one: runs of every length
// around two of them, each well formed or not, come out as the characters converted alone.
TEST_F(ConversionScan, Utf8CharactersAndAsciiRunsOfEveryLength) {
  UseConsoleCharset(Utf8);
  struct Unit {
    std::string console;
    std::string ansi;
  };
  const Unit units[] = {
      {"\xC3\xA9", "\xE9"},      // two bytes: e acute
      {"\xE2\x82\xAC", "\x80"},  // three bytes: the euro sign
      {"\xFF", "?"},             // never in UTF-8
      {"\xC3", "?"},             // a lead byte without its trail byte
      {"\xA9", "?"},             // a trail byte alone
  };
  for (const Unit& first : units) {
    for (const Unit& second : units) {
      // A lead byte right before a trail byte makes one character of the two.
      const bool join = &first == &units[3] && &second == &units[4];
      for (std::size_t before = 0; before < 10; ++before) {
        for (std::size_t between = join ? 1 : 0; between <= 20; ++between) {
          for (std::size_t after = 0; after < 10; ++after) {
            SCOPED_TRACE(testing::Message() << before << " " << first.console << " " << between
                                            << " " << second.console << " " << after);
            const std::string a(before, 'a'), b(between, 'b'), c(after, 'c');
            ASSERT_EQ(ToAnsi(a + first.console + b + second.console + c),
                      a + first.ansi + b + second.ansi + c);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace platform::posix
