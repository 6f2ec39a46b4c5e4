// A UTF-8 console: lines are decoded by the Unicode substitution practice and mapped to
// Windows-1252 as Windows maps them; the stored texts are encoded as UTF-8.
#include "platform/posix/utf8.hpp"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.hpp"
#include "platform/posix/codepage.hpp"

namespace platform::posix {
namespace {

TEST(Utf8, EveryCodePointComesBackFromItsEncoding) {
  std::string encoded;
  for (char32_t code_point = 0; code_point <= 0x10FFFF; ++code_point) {
    if (code_point >= 0xD800 && code_point <= 0xDFFF) continue;
    encoded.clear();
    utf8::Append(code_point, encoded);
    char32_t decoded = 0;
    const std::size_t length = utf8::DecodeOne(encoded, 0, decoded);
    ASSERT_EQ(decoded, code_point);
    ASSERT_EQ(length, encoded.size());
    ASSERT_EQ(encoded.size(), code_point < 0x80      ? 1u
                              : code_point < 0x800   ? 2u
                              : code_point < 0x10000 ? 3u
                                                     : 4u);
  }
}

class Utf8Console : public ::testing::Test {
 protected:
  void SetUp() override { UseConsoleCharset(ConsoleCharset::Utf8); }
  void TearDown() override { UseConsoleCharset(ConsoleCharset::Cp850); }

  static std::string ToAnsi(std::string_view console) {
    std::string ansi = "left over";
    ConsoleToAnsi(console, ansi);
    return ansi;
  }
  static std::string ToConsole(std::string_view ansi) {
    std::string console = "left over";
    AnsiToConsole(ansi, console);
    return console;
  }
};

struct Case {
  std::string console;
  std::string ansi;
};

TEST_F(Utf8Console, CharactersAreMappedAsWindowsMapsThem) {
  const Case cases[] = {
      {"", ""},
      {std::string("a\0b\x7F", 4), std::string("a\0b\x7F", 4)},
      {"caf\xC3\xA9", "caf\xE9"},
      {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},                  // U+00A0, U+00FF: Latin-1 is exact
      {"\xE2\x82\xAC\xC5\x92\xC5\xB8", "\x80\x8C\x9F"},  // the euro sign, OE, Y diaeresis
      {"\xC2\x81\xC2\x8D", "\x81\x8D"},                  // C1 controls that Windows-1252 keeps
      {"\xC2\x80\xC2\x82", "??"},                        // and those it does not
      {"\xE2\x94\x80\xE2\x94\x82", "-\xA6"},             // best fit: box drawing
      {"\xEF\xBD\x81\xC4\x80", "aA"},                    // best fit: fullwidth a, A macron
      {"\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF", "???"},       // U+07FF, U+0800, U+D7FF: no best fit
      {"\xEF\xBF\xBD\xEF\xBF\xBF", "??"},                // U+FFFD, U+FFFF
      {"\xF0\x90\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", "???"},  // beyond the BMP: one each
  };
  for (const Case& c : cases) EXPECT_EQ(ToAnsi(c.console), c.ansi) << c.console;
}

TEST_F(Utf8Console, EachMaximalIllFormedSubpartIsOneQuestionMark) {
  const Case cases[] = {
      // The examples of the Unicode standard's substitution practice.
      {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64", "a???b?c??d"},
      {"\xC0\xAF\xE0\x80\xBF\xF0\x81\x82\x41", "????????A"},
      {"\xED\xA0\x80\xED\xBF\xBF\xED\xAF\x41", "????????A"},
      {"\xF4\x91\x92\x93\xFF\x41\x80\xBF\x42", "?????A??B"},
      {"\xE1\x80\xE2\xF0\x91\x92\xF1\xBF\x41", "????A"},
      // Overlong forms.
      {"\xC0\x80|\xC1\xBF|\xE0\x9F\xBF|\xF0\x8F\xBF\xBF", "??|??|???|????"},
      // Surrogates encoded as UTF-8.
      {"\xED\xA0\x80|\xED\xBF\xBF", "???|???"},
      // Beyond U+10FFFF, and bytes that never begin a character.
      {"\xF4\x90\x80\x80|\xF5\x80\x80\x80|\xF8\x88\x80\x80\x80|\xFE\xFF", "????|????|?????|??"},
      // Lone continuation bytes.
      {"\x80|\xBF\xBF", "?|??"},
      // Truncated: at the end of the line, and before another character.
      {"ab\xC3", "ab?"},
      {"ab\xE2\x82", "ab?"},
      {"ab\xF0\x9F\x98", "ab?"},
      {"\xC3 \xE2\x82\xF0\x9F\x98\xC3\xA9", "? ??\xE9"},
  };
  for (const Case& c : cases) EXPECT_EQ(ToAnsi(c.console), c.ansi) << c.console;
}

TEST_F(Utf8Console, StoredTextsBecomeUtf8) {
  EXPECT_EQ(ToConsole(""), "");
  EXPECT_EQ(ToConsole(std::string("A\0", 2)), std::string("A\0", 2));
  EXPECT_EQ(ToConsole("cr\xE9"
                      "ation \x80 \x9F \xFF \x81"),
            "cr\xC3\xA9"
            "ation \xE2\x82\xAC \xC5\xB8 \xC3\xBF \xC2\x81");
  // Every byte of Windows-1252 comes back as itself.
  for (int byte = 0; byte < 0x100; ++byte) {
    const std::string ansi(1, static_cast<char>(byte));
    EXPECT_EQ(ToAnsi(ToConsole(ansi)), ansi) << byte;
  }
}

TEST_F(Utf8Console, ASourceInsideTheTargetIsReadBeforeItIsOverwritten) {
  std::string text = "caf\xC3\xA9 \xE2\x82\xAC";
  ConsoleToAnsi(text, text);
  EXPECT_EQ(text, "caf\xE9 \x80");
  AnsiToConsole(text, text);
  EXPECT_EQ(text, "caf\xC3\xA9 \xE2\x82\xAC");
  std::string_view tail = text;
  tail.remove_prefix(3);
  AnsiToConsole(tail, text);
  EXPECT_EQ(text, "\xC3\x83\xC2\xA9 \xC3\xA2\xE2\x80\x9A\xC2\xAC");
}

}  // namespace
}  // namespace platform::posix
