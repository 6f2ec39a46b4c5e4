#include "module_name.hpp"

#include <cstring>

#include "../platform/platform.hpp"

namespace runtime {
namespace {

// The part after the last separator; the whole path when it has none.
void FileNameOf(const char* path, std::size_t length, char (&name)[kModuleNameSize]) {
  std::size_t start = length;
  while (start > 0 && !platform::IsPathSeparator(path[start - 1])) --start;
  const std::size_t count = length - start < kModuleNameSize ? length - start : kModuleNameSize - 1;
  std::memcpy(name, path + start, count);
  name[count] = '\0';
}

}  // namespace

bool ModuleNameOf(const void* address, char (&name)[kModuleNameSize], const void** base) {
  char path[kModulePathSize];
  const void* module_base = nullptr;
  const std::size_t length = platform::ModuleOf(address, path, sizeof path, module_base);
  if (length == 0) return false;
  FileNameOf(path, length, name);
  if (base != nullptr) *base = module_base;
  return true;
}

void OwnModuleName(char (&name)[kModuleNameSize]) {
  char path[kModulePathSize];
  FileNameOf(path, platform::OwnModulePath(path, sizeof path), name);
}

}  // namespace runtime
