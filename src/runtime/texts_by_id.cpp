#include "texts_by_id.hpp"

#include "../platform/platform.hpp"

namespace runtime {

std::string TextById(uint32_t id) {
  char text[kTextSize];
  return std::string(text, platform::LoadText(id, text, sizeof text));
}

}  // namespace runtime
