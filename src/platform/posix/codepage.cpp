// The console of the Linux build speaks code page 850; the conversions are table lookups
// generated from Windows' own conversion (tools/gen_codepage_tables.sh).
#include "../platform.hpp"

namespace platform {
namespace {

#include "codepage_850.inc"

void Translate(const unsigned char (&table)[256], std::string_view source, std::string& target) {
  target.resize(source.size());
  for (std::size_t i = 0; i < source.size(); ++i) {
    target[i] = static_cast<char>(table[static_cast<unsigned char>(source[i])]);
  }
}

}  // namespace

void AnsiToConsole(std::string_view source, std::string& target) {
  Translate(kAnsiToOem850, source, target);
}

void ConsoleToAnsi(std::string_view source, std::string& target) {
  Translate(kOem850ToAnsi, source, target);
}

}  // namespace platform
