// The console's OEM code page and the ANSI code page are the system's own.
#include "../platform.hpp"
#include "windows.hpp"

namespace platform {

void AnsiToConsole(std::string_view source, std::string& target) {
  target.assign(source);
  if (!target.empty()) {
    ::CharToOemBuffA(target.data(), target.data(), static_cast<DWORD>(target.size()));
  }
}

void ConsoleToAnsi(std::string_view source, std::string& target) {
  target.assign(source);
  if (!target.empty()) {
    ::OemToCharBuffA(target.data(), target.data(), static_cast<DWORD>(target.size()));
  }
}

}  // namespace platform
