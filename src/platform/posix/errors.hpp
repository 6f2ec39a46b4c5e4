// errno values seen at the boundary become the Windows error numbers the runtime's message
// tables are built on; nothing above this back end ever sees an errno.
#pragma once

#include <cstdint>

namespace platform::posix {

enum class Operation { Other, CreateFile };

int32_t TranslateErrno(int errnum, Operation operation = Operation::Other);
// Records the translation of the current errno as this thread's last error.
void SetLastErrorFromErrno(Operation operation = Operation::Other);
void SetLastError(int32_t code);

}  // namespace platform::posix
