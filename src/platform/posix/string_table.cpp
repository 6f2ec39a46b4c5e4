// Linux has no resource strings: the texts live in a table compiled into the program.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "../platform.hpp"

namespace platform {
namespace {

struct StoredText {
  uint32_t id;
  const char* text;
  std::size_t length;
};

#define KELVOR_TEXT(id, text) {id, text, sizeof(text) - 1},
constexpr StoredText kStringTable[] = {
#include "../string_table.inc"
};
#undef KELVOR_TEXT

}  // namespace

std::size_t LoadText(uint32_t id, char* buffer, std::size_t size) {
  if (size == 0) return 0;
  const auto found = std::find_if(std::begin(kStringTable), std::end(kStringTable),
                                  [id](const StoredText& entry) { return entry.id == id; });
  const std::size_t length =
      found == std::end(kStringTable) ? 0 : std::min(found->length, size - 1);
  if (length > 0) std::memcpy(buffer, found->text, length);
  buffer[length] = '\0';
  return length;
}

}  // namespace platform
