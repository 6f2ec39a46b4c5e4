#include "utypes.hpp"

#include "platform/platform.hpp"

namespace utypes {

bool Silent = false;
bool HelpWanted = false;
std::string LogFileName;
int32_t ReturnCode = 0;

void ConvertText(uint8_t direction, std::string_view source, std::string& target) {
  switch (direction) {
    case kAnsiToOem:
      platform::AnsiToConsole(source, target);
      break;
    case kOemToAnsi:
      platform::ConsoleToAnsi(source, target);
      break;
    default:
      target.assign(source);
  }
}

bool ParseCommandLine() { return true; }

}  // namespace utypes
