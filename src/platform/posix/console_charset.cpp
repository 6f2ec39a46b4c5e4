#include "console_charset.hpp"

#include <cstdlib>
#include <string>
#include <string_view>

namespace platform::posix {
namespace {

struct KnownCharset {
  std::string_view name;  // lower case, without "-" or "_"
  ConsoleCharset charset;
};

constexpr KnownCharset kKnownCharsets[] = {
    {"utf8", ConsoleCharset::Utf8},
    {"850", ConsoleCharset::Cp850},
    {"cp850", ConsoleCharset::Cp850},
    {"ibm850", ConsoleCharset::Cp850},
    {"437", ConsoleCharset::Cp437},
    {"cp437", ConsoleCharset::Cp437},
    {"ibm437", ConsoleCharset::Cp437},
    {"iso88591", ConsoleCharset::Iso8859_1},
    {"iso885915", ConsoleCharset::Iso8859_15},
    {"cp1252", ConsoleCharset::Cp1252},
    {"windows1252", ConsoleCharset::Cp1252},
};

// The code set of language[_territory][.codeset][@modifier]; a "." inside the modifier is
// not one.
std::string_view CodesetPart(std::string_view name) {
  name = name.substr(0, name.find('@'));
  const std::size_t dot = name.find('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string Normalised(std::string_view codeset) {
  std::string key;
  for (const char c : codeset) {
    if (c == '-' || c == '_') continue;
    key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  }
  return key;
}

ConsoleCharset CharsetOfLocaleName(std::string_view name) {
  const std::string key = Normalised(CodesetPart(name));
  for (const KnownCharset& known : kKnownCharsets) {
    if (known.name == key) return known.charset;
  }
  return ConsoleCharset::Cp850;
}

bool IsSet(const char* value) {
  return value != nullptr && *value != '\0';
}

}  // namespace

ConsoleCharset CharsetFromLocale(const char* lc_all, const char* lc_ctype, const char* lang) {
  for (const char* value : {lc_all, lc_ctype, lang}) {
    if (IsSet(value)) return CharsetOfLocaleName(value);
  }
  return ConsoleCharset::Cp850;
}

ConsoleCharset CharsetFromEnvironment() {
  return CharsetFromLocale(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
}

}  // namespace platform::posix
