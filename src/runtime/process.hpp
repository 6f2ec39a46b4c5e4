// The frame of a run: the outermost handler around the whole program, the start-up steps of
// the modules, and the end of the process through their shutdown steps.
#pragma once

#include <cstdint>
#include <span>

namespace runtime {

// A module's start-up and shutdown steps; either may be absent. Shutdown steps run in the
// reverse order of the start-up steps.
struct ModuleSteps {
  void (*StartUp)();
  void (*ShutDown)();
};

// Puts the last-resort handler in place, runs the start-up steps of the runtime (stream core,
// failure machinery) and then of `program_modules`, then the main program. Never returns: a
// failure that nothing caught is reported on standard error and ends the process with exit
// code 1.
[[noreturn]] void RunProgram(void (*main_program)(),
                             std::span<const ModuleSteps> program_modules = {});
// The shutdown steps of every module started, then the end of the process with `code`.
[[noreturn]] void EndProcess(int32_t code);

}  // namespace runtime
