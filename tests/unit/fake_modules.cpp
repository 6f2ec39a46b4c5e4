#include "fake_modules.hpp"

#include <cstring>
#include <utility>

#include "platform/platform.hpp"

namespace fake {
namespace {

std::vector<Module> modules;
std::string own_path = kOwnPath;
bool faults_caught = false;

std::size_t CopyPath(const std::string& path, char* area, std::size_t size) {
  const std::size_t kept = path.size() < size ? path.size() : size - 1;
  std::memcpy(area, path.data() + path.size() - kept, kept);
  area[kept] = '\0';
  return kept;
}

}  // namespace

void SetModules(std::vector<Module> given, std::string own) {
  modules = std::move(given);
  own_path = std::move(own);
}

void ResetModules() {
  SetModules({});
}

bool FaultsCaught() {
  return faults_caught;
}

}  // namespace fake

namespace platform {

std::size_t ModuleOf(const void* address, char* path, std::size_t size, const void*& base) {
  const auto at = reinterpret_cast<uintptr_t>(address);
  for (const fake::Module& module : fake::modules) {
    if (at >= module.base && at - module.base < module.size) {
      base = reinterpret_cast<const void*>(module.base);
      return fake::CopyPath(module.path, path, size);
    }
  }
  return 0;
}

std::size_t OwnModulePath(char* path, std::size_t size) {
  return fake::CopyPath(fake::own_path, path, size);
}

bool IsPathSeparator(char byte) {
  return byte == '\\';
}

void CatchPlatformFaults() {
  fake::faults_caught = true;
}

void ReleasePlatformFaults() {
  fake::faults_caught = false;
}

}  // namespace platform
