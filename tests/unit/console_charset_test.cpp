// The console's character set on Linux: which locale gives which code page, and that the
// conversions then use that code page's tables.
#include "platform/posix/console_charset.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/platform.hpp"
#include "platform/posix/codepage.hpp"

namespace platform::posix {
namespace {

using enum ConsoleCharset;

TEST(CharsetFromLocale, TheFirstVariableSetAndNotEmptyNamesTheCharacterSet) {
  const struct {
    const char* lc_all;
    const char* lc_ctype;
    const char* lang;
    ConsoleCharset expected;
  } cases[] = {
      {nullptr, nullptr, nullptr, Cp850},
      {"", "", "", Cp850},
      {nullptr, nullptr, "fr_FR.UTF-8", Utf8},
      {nullptr, nullptr, "C.utf8", Utf8},
      {nullptr, nullptr, "en_US.UTF8", Utf8},
      {nullptr, nullptr, "en_US.uTf_8", Utf8},
      {nullptr, nullptr, "fr_FR.UTF-8@euro", Utf8},
      {nullptr, nullptr, "xx_YY.UTF-8", Utf8},  // named, even where no such locale exists
      {nullptr, nullptr, "en_US.IBM437", Cp437},
      {nullptr, nullptr, "en_US.cp437", Cp437},
      {nullptr, nullptr, "en_US.437", Cp437},
      {nullptr, nullptr, "fr_FR.ISO-8859-1", Iso8859_1},
      {nullptr, nullptr, "fr_FR.iso88591", Iso8859_1},
      {nullptr, nullptr, "fr_FR.ISO_8859-15@euro", Iso8859_15},
      {nullptr, nullptr, "fr_FR.CP1252", Cp1252},
      {nullptr, nullptr, "fr_FR.Windows-1252", Cp1252},
      // No character set, one we do not know, or a "." that belongs to the modifier.
      {nullptr, nullptr, "fr_FR", Cp850},
      {nullptr, nullptr, "fr_FR@euro", Cp850},
      {nullptr, nullptr, "C", Cp850},
      {nullptr, nullptr, "fr_FR.", Cp850},
      {nullptr, nullptr, "ru_RU.KOI8-R", Cp850},
      {nullptr, nullptr, "fr_FR.UTF-16", Cp850},
      {nullptr, nullptr, "fr_FR.ISO-8859-151", Cp850},
      {nullptr, nullptr, "sr_RS@latin.UTF-8", Cp850},
      // LC_ALL over LC_CTYPE over LANG; an empty one counts as not set.
      {"fr_FR.ISO-8859-1", "fr_FR.UTF-8", "fr_FR.UTF-8", Iso8859_1},
      {"", "fr_FR.UTF-8", "en_US.CP437", Utf8},
      {nullptr, "", "en_US.CP437", Cp437},
      {"C", "fr_FR.UTF-8", "fr_FR.UTF-8", Cp850},
  };
  for (const auto& c : cases) {
    const auto shown = [](const char* value) {
      return value ? "\"" + std::string(value) + "\"" : "unset";
    };
    EXPECT_EQ(CharsetFromLocale(c.lc_all, c.lc_ctype, c.lang), c.expected)
        << "LC_ALL " << shown(c.lc_all) << ", LC_CTYPE " << shown(c.lc_ctype) << ", LANG "
        << shown(c.lang);
  }
}

// Sets the three locale variables for one test and puts them back afterwards, with the
// character set the back end uses.
class LocaleEnvironment : public ::testing::Test {
 protected:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_CTYPE", "LANG"};

  void SetUp() override {
    for (std::size_t i = 0; i < 3; ++i) {
      const char* value = std::getenv(kNames[i]);
      if (value) saved_[i] = value;
      unsetenv(kNames[i]);
    }
  }
  void TearDown() override {
    for (std::size_t i = 0; i < 3; ++i) {
      if (saved_[i]) {
        setenv(kNames[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
    UseConsoleCharset(Cp850);
  }
  std::optional<std::string> saved_[3];
};

std::string ToAnsi(std::string_view console) {
  std::string ansi;
  ConsoleToAnsi(console, ansi);
  return ansi;
}

std::string ToConsole(std::string_view ansi) {
  std::string console;
  AnsiToConsole(ansi, console);
  return console;
}

using StartUp = LocaleEnvironment;

// Bytes whose conversion differs from one code page to the next, so that each case shows
// that its own tables are the ones in use.
TEST_F(StartUp, EachLocaleGivesItsCodePageToEveryConversion) {
  const std::string ansi = "\xE9\x80\xC0\xA4";  // e acute, euro sign, A grave, currency sign
  const struct {
    const char* variable;
    const char* locale;
    std::string console;
    std::string ansi_of_console;
    std::string console_of_ansi;
  } cases[] = {
      {nullptr, nullptr, "\x80\xA4\xD5\xBD\x82", "\xC7\xF1i\xA2\xE9", "\x82?\xB7\xCF"},
      {"LANG", "fr_FR.IBM850", "\x80\xA4\xD5\xBD\x82", "\xC7\xF1i\xA2\xE9", "\x82?\xB7\xCF"},
      {"LC_CTYPE", "en_US.CP437", "\x80\xA4\xD5\xBD\x82", "\xC7\xF1++\xE9", "\x82?A\x0F"},
      {"LC_ALL", "fr_FR.ISO-8859-1", "\x80\xA4\xD5\xBD", "?\xA4\xD5\xBD", "\xE9?\xC0\xA4"},
      {"LANG", "fr_FR.ISO-8859-15@euro", "\x80\xA4\xA6\xBD", "?\x80\x8A\x9C", "\xE9\xA4\xC0?"},
      {"LANG", "fr_FR.CP1252", "\x80\xA4\xD5\xBD", "\x80\xA4\xD5\xBD", "\xE9\x80\xC0\xA4"},
      {"LANG", "fr_FR.UTF-8", "caf\xC3\xA9 \xE2\x82\xAC", "caf\xE9 \x80",
       "\xC3\xA9\xE2\x82\xAC\xC3\x80\xC2\xA4"},
      {"LANG", "ru_RU.KOI8-R", "\x80\xA4\xD5\xBD\x82", "\xC7\xF1i\xA2\xE9", "\x82?\xB7\xCF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.locale ? c.locale : "no locale");
    for (const char* name : kNames) unsetenv(name);
    if (c.variable) setenv(c.variable, c.locale, 1);
    StartProcess(0, nullptr);
    EXPECT_EQ(ToAnsi(c.console), c.ansi_of_console);
    EXPECT_EQ(ToConsole(ansi), c.console_of_ansi);
  }
}

TEST_F(StartUp, EverySingleByteCodePageKeepsAsciiAndTheLength) {
  std::string ascii;
  for (int byte = 0; byte < 0x80; ++byte) ascii.push_back(static_cast<char>(byte));
  std::string all = ascii;
  for (int byte = 0x80; byte < 0x100; ++byte) all.push_back(static_cast<char>(byte));
  for (const char* locale :
       {"C", "en_US.CP437", "fr_FR.ISO-8859-1", "fr_FR.ISO-8859-15", "fr_FR.CP1252"}) {
    SCOPED_TRACE(locale);
    setenv("LC_ALL", locale, 1);
    StartProcess(0, nullptr);
    EXPECT_EQ(ToAnsi(ascii), ascii);
    EXPECT_EQ(ToConsole(ascii), ascii);
    EXPECT_EQ(ToAnsi(all).size(), 256u);
    EXPECT_EQ(ToConsole(all).size(), 256u);
  }
  // A Windows-1252 console needs no conversion at all.
  EXPECT_EQ(ToAnsi(all), all);
  EXPECT_EQ(ToConsole(all), all);
}

}  // namespace
}  // namespace platform::posix
