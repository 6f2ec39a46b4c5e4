// The console character set every conversion of the Linux back end uses.
#pragma once

#include "console_charset.hpp"

namespace platform::posix {

// Chosen once at start-up; until then the console speaks code page 850.
void UseConsoleCharset(ConsoleCharset charset);

}  // namespace platform::posix
