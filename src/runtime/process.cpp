#include "process.hpp"

#include <exception>

#include "../platform/platform.hpp"
#include "failure_machinery.hpp"
#include "failure_report.hpp"
#include "text_stream.hpp"

namespace runtime {
namespace {

// Both standard streams Closed, no code pending.
void StartStreamCore() {
  StandardInput = TextStream{.OpenState = StreamState::Closed};
  StandardOutput = TextStream{.OpenState = StreamState::Closed};
  TakePendingIOError();
}

// Whatever standard output still holds goes out; a code this leaves is ignored.
void ShutDownStreamCore() {
  CloseStream(StandardInput);
  CloseStream(StandardOutput);
  TakePendingIOError();
}

constexpr ModuleSteps kRuntimeModules[] = {
    {StartStreamCore, ShutDownStreamCore},
    {StartFailureMachinery, ShutDownFailureMachinery},
};

// The modules whose start-up has begun, in order; fixed room, since the end of the process
// must not need memory.
constexpr std::size_t kMaxModules = 8;
ModuleSteps Started[kMaxModules];
std::size_t StartedCount = 0;

// Recorded before its start-up runs, so that a start-up that fails half-way is still shut down.
void StartUp(const ModuleSteps& module) {
  if (StartedCount < kMaxModules) Started[StartedCount++] = module;
  if (module.StartUp != nullptr) module.StartUp();
}

// Each runs once, even if the process ends again from within one of them.
void ShutDownAll() {
  while (StartedCount > 0) {
    const ModuleSteps module = Started[--StartedCount];
    if (module.ShutDown != nullptr) module.ShutDown();
  }
}

std::terminate_handler PreviousTerminate = nullptr;

// Runs once every clean-up block has run: the report comes after what they wrote. It is also
// the handler of a failure that the language could not carry to it (thrown through code that
// cannot pass it on): that one still gets its report and exit code 1, though the clean-ups
// between are lost.
[[noreturn]] void LastResortHandler() {
  ReportFailure(std::current_exception());
  EndProcess(1);
}

}  // namespace

void RunProgram(void (*main_program)(), std::span<const ModuleSteps> program_modules) {
  PreviousTerminate = std::set_terminate(LastResortHandler);
  try {
    for (const ModuleSteps& module : kRuntimeModules) StartUp(module);
    for (const ModuleSteps& module : program_modules) StartUp(module);
    main_program();
  } catch (...) {
    LastResortHandler();
  }
  EndProcess(0);
}

void EndProcess(int32_t code) {
  const int32_t exit_status = code;
  ShutDownAll();
  std::set_terminate(PreviousTerminate);
  platform::ExitProcess(exit_status);
}

}  // namespace runtime
