// The modules and fault delivery of the recording stand-in for the operating system. Paths
// use Windows' backslash, the separator of this stand-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fake {

struct Module {
  std::string path;
  uintptr_t base;
  std::size_t size;
};

inline constexpr char kOwnPath[] = "C:\\Outils\\kelvor.exe";

// The modules that hold addresses, and the program's own path. Reset by ResetModules().
void SetModules(std::vector<Module> modules, std::string own_path = kOwnPath);
void ResetModules();
// Whether platform faults are being caught (between CatchPlatformFaults and its release).
bool FaultsCaught();

}  // namespace fake
