// The frame of a run: the outermost handler around the whole program, and the end of the
// process through the runtime's shutdown steps.
#pragma once

#include <cstdint>

namespace runtime {

// Runs the main program under the outermost handler; never returns.
[[noreturn]] void RunProgram(void (*main_program)());
// The runtime's shutdown steps, then the end of the process with `code`.
[[noreturn]] void EndProcess(int32_t code);

}  // namespace runtime
