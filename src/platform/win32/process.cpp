#include "../platform.hpp"
#include "windows.hpp"

namespace platform {

void StartProcess(int, char**) {}

void ExitProcess(int32_t code) {
  ::ExitProcess(static_cast<UINT>(code));
}

}  // namespace platform
