// Modules are the program and the shared objects the dynamic loader mapped; dladdr finds the
// one that holds an address. It names the program only as it was started, so the program's
// own path comes from /proc/self/exe.
#include <dlfcn.h>
#include <unistd.h>

#include <cstring>

#include "../platform.hpp"

namespace platform {
namespace {

// Keeps the end of a path that does not fit: the file name after the last '/' stays whole.
std::size_t CopyPath(const char* path, std::size_t length, char* area, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t kept = length < size ? length : size - 1;
  std::memcpy(area, path + (length - kept), kept);
  area[kept] = '\0';
  return kept;
}

const void* OwnBase() {
  Dl_info info;
  return ::dladdr(reinterpret_cast<const void*>(&OwnBase), &info) != 0 ? info.dli_fbase : nullptr;
}

}  // namespace

std::size_t ModuleOf(const void* address, char* path, std::size_t size, const void*& base) {
  Dl_info info;
  if (address == nullptr || ::dladdr(address, &info) == 0 || info.dli_fbase == nullptr) return 0;
  base = info.dli_fbase;
  if (info.dli_fbase == OwnBase()) return OwnModulePath(path, size);
  if (info.dli_fname == nullptr) return 0;
  return CopyPath(info.dli_fname, std::strlen(info.dli_fname), path, size);
}

std::size_t OwnModulePath(char* path, std::size_t size) {
  char full[4096];
  const ssize_t length = ::readlink("/proc/self/exe", full, sizeof full);
  if (length <= 0) return CopyPath("", 0, path, size);
  return CopyPath(full, static_cast<std::size_t>(length), path, size);
}

bool IsPathSeparator(char byte) {
  return byte == '/';
}

}  // namespace platform
