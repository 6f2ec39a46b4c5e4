// The texts live in the program's string table (kelvor.rc).
#include "../platform.hpp"
#include "windows.hpp"

namespace platform {

std::size_t LoadText(uint32_t id, char* buffer, std::size_t size) {
  if (size == 0) return 0;
  const int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, static_cast<int>(size));
  if (length <= 0) buffer[0] = '\0';
  return length > 0 ? static_cast<std::size_t>(length) : 0;
}

}  // namespace platform
