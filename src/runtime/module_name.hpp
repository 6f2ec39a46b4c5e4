// Which module a code address lies in, in the fixed areas of the last-resort report.
#pragma once

#include <cstddef>

namespace runtime {

inline constexpr std::size_t kModulePathSize = 261;
inline constexpr std::size_t kModuleNameSize = 261;

// The file name of the module that holds `address`, and that module's load address; false
// when no module holds it.
bool ModuleNameOf(const void* address, char (&name)[kModuleNameSize], const void** base = nullptr);
// The file name of the program's own module.
void OwnModuleName(char (&name)[kModuleNameSize]);

}  // namespace runtime
