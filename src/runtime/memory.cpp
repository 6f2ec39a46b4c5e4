// The program's memory allocation: the C library's, with an unmet request raising the one
// pre-made EOutOfMemory instead of allocating a failure object, and a very large block handed
// to the platform to be backed by large pages.
#include <cstdlib>
#include <new>

#include "../platform/platform.hpp"
#include "failure_machinery.hpp"

namespace {
// Only a line of megabytes asks for as much; everything else is left as the allocator gives it.
constexpr std::size_t kLargeBlock = std::size_t{4} << 20;
}  // namespace

// Never inlined: an unmet request is located in the allocation, wherever it was asked for.
[[gnu::noinline]] void* operator new(std::size_t size) {
  void* const block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) runtime::RaiseOutOfMemory();
  if (size >= kLargeBlock) platform::PrepareLargeBlock(block, size);
  return block;
}

void* operator new[](std::size_t size) {
  return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size != 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size != 0 ? size : 1);
}

void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
