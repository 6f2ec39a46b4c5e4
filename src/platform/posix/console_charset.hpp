// The console's character set on Linux: the one the locale names, whether or not that locale
// is generated on the machine, since it still tells what the terminal speaks.
#pragma once

namespace platform::posix {

enum class ConsoleCharset { Cp850, Cp437, Iso8859_1, Iso8859_15, Cp1252, Utf8 };

// The first of LC_ALL, LC_CTYPE and LANG that is set (not null) and not empty decides, by the
// part of its value after "." and before "@" ("fr_FR.UTF-8@euro"), compared without case, "-"
// or "_". Code page 850 when that names no character set we know.
ConsoleCharset CharsetFromLocale(const char* lc_all, const char* lc_ctype, const char* lang);

ConsoleCharset CharsetFromEnvironment();

}  // namespace platform::posix
