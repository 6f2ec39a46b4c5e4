// The system's upper-casing in the ANSI code page; it keeps the length.
#include "../platform.hpp"
#include "windows.hpp"

void platform::UpperCase(std::string& text) {
  if (!text.empty()) ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
}
