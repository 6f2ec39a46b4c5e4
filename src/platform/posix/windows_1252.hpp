// Windows-1252 and Unicode, character by character, as Windows itself converts them.
#pragma once

namespace platform::posix {

char32_t AnsiToUnicode(unsigned char byte);

// Exact where Windows-1252 has the character, Windows' best fit where it has one (U+2500 gives
// '-'), '?' otherwise: for everything beyond U+FFFF and for anything that is no code point.
unsigned char UnicodeToAnsi(char32_t code_point);

}  // namespace platform::posix
