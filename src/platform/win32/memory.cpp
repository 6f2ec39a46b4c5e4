// Large blocks on Windows: large pages need a privilege a console program does not hold, so
// blocks stay as the allocator gives them.
#include "../platform.hpp"

namespace platform {

void PrepareLargeBlock(void*, std::size_t) {}

}  // namespace platform
