// The hook of the fault-injection build: KELVOR_FAULT="FAULT@POINT" makes the program fail at
// one point of its run. POINT is "lineN" (inside the copy stage, once the N-th line reached
// the log file) or "after" (outside the copy stage, once it ended). FAULT is one of read0,
// write0, divide, stack, illegal, memory.
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "../common/faulting_code.hpp"
#include "test_hook.hpp"

namespace {

using namespace faulting;

char* volatile Kept = nullptr;

// A megabyte at a time, never given back; the bound lies far above the address-space limit
// that the tests set.
[[gnu::noinline]] void ExhaustMemory() {
  for (int block = 0; block < 4096; ++block) Kept = new char[1 << 20];
}

struct Fault {
  std::string_view name;
  void (*make)();
};

constexpr Fault kFaults[] = {
    {"read0", ReadNull},         {"write0", WriteNull},           {"divide", DivideByZero},
    {"stack", OverflowTheStack}, {"illegal", IllegalInstruction}, {"memory", ExhaustMemory},
};

struct Plan {
  void (*make)() = nullptr;
  bool after = false;
  long line = 0;
};

Plan ReadPlan() {
  Plan plan;
  const char* given = std::getenv("KELVOR_FAULT");
  if (given == nullptr) return plan;
  const std::string_view text(given);
  const std::size_t at = text.find('@');
  if (at == std::string_view::npos) return plan;
  const std::string_view point = text.substr(at + 1);
  if (point == "after") {
    plan.after = true;
  } else if (point.starts_with("line")) {
    plan.line = std::strtol(given + at + 1 + 4, nullptr, 10);
  }
  for (const Fault& fault : kFaults) {
    if (fault.name == text.substr(0, at)) plan.make = fault.make;
  }
  return plan;
}

}  // namespace

namespace kelvor {

void RunTestHook(HookPoint point) {
  static const Plan plan = ReadPlan();
  static long lines = 0;
  if (plan.make == nullptr) return;
  if (point == HookPoint::LineCopied && ++lines == plan.line) plan.make();
  if (point == HookPoint::CopyStageDone && plan.after) plan.make();
}

}  // namespace kelvor
