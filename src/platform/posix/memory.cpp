// Large blocks on Linux: transparent huge pages, asked for the part of the block that whole
// huge pages cover.
#include <sys/mman.h>

#include <cerrno>
#include <cstdint>

#include "../platform.hpp"

namespace platform {
namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

}  // namespace

void PrepareLargeBlock(void* block, std::size_t size) {
  const auto first = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t start = (first + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t end = (first + size) & ~(kHugePage - 1);
  if (end <= start) return;
  // A kernel without huge pages refuses, which only costs speed; the error number of the
  // call before is kept for whoever asks for it next.
  const int saved = errno;
  madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  errno = saved;
}

}  // namespace platform
