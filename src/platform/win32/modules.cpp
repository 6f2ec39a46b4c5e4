// A module is found by the allocation that holds an address (VirtualQuery) and named by
// GetModuleFileNameA.
#include <cstring>

#include "../platform.hpp"
#include "windows.hpp"

namespace platform {
namespace {

constexpr DWORD kLongestPath = 32768;

// Keeps the end of a path that does not fit: the file name after the last '\' stays whole.
std::size_t FileNameOfModule(HMODULE module, char* path, std::size_t size) {
  if (size == 0) return 0;
  char full[kLongestPath];
  const DWORD length = ::GetModuleFileNameA(module, full, kLongestPath);
  if (length == 0 || length >= kLongestPath) {
    path[0] = '\0';
    return 0;
  }
  const std::size_t kept = length < size ? length : size - 1;
  std::memcpy(path, full + (length - kept), kept);
  path[kept] = '\0';
  return kept;
}

}  // namespace

std::size_t ModuleOf(const void* address, char* path, std::size_t size, const void*& base) {
  MEMORY_BASIC_INFORMATION region;
  if (address == nullptr || ::VirtualQuery(address, &region, sizeof region) == 0 ||
      region.State != MEM_COMMIT || region.AllocationBase == nullptr) {
    return 0;
  }
  const std::size_t length =
      FileNameOfModule(static_cast<HMODULE>(region.AllocationBase), path, size);
  if (length != 0) base = region.AllocationBase;
  return length;
}

std::size_t OwnModulePath(char* path, std::size_t size) {
  return FileNameOfModule(nullptr, path, size);
}

bool IsPathSeparator(char byte) {
  return byte == '\\' || byte == ':';
}

}  // namespace platform
