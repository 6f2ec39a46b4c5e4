// Two points of the run where the fault-injection build of the tests can make the program
// fail as nothing else would on demand (a processor fault, exhausted memory). The shipped
// program links test_hook_off.cpp, where they do nothing.
#pragma once

namespace kelvor {

enum class HookPoint {
  LineCopied,     // inside the copy stage, after each line reached the log file
  CopyStageDone,  // outside the copy stage, after it ended
};

void RunTestHook(HookPoint point);

}  // namespace kelvor
