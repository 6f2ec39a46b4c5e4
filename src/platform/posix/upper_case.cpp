// Only "s" against "S" is ever compared, and the bytes of an argument are in whatever
// character set the shell used: ASCII letters are mapped, every other byte is kept.
#include "../platform.hpp"

void platform::UpperCase(std::string& text) {
  for (char& byte : text) {
    if (byte >= 'a' && byte <= 'z') byte = static_cast<char>(byte - ('a' - 'A'));
  }
}
