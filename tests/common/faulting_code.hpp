// Code that makes the processor fault, shared by the fault tests and the fault-injection build.
// The functions are local to each program that includes them (the tests look them up by name
// among its local code symbols).
// Each fault happens in a function of its own, with nothing to clean up around it, so that the
// faulting instruction follows the function's first bytes. The sanitizers leave them alone:
// the processor is to fault, not a check before it.
#pragma once

namespace faulting {

inline volatile int Sink = 0;
inline volatile int One = 1;
inline volatile int Zero = 0;
inline volatile double ZeroDouble = 0.0;
inline int* volatile NullPointer = nullptr;

[[gnu::noinline, gnu::no_sanitize("undefined", "address"), maybe_unused]] static void ReadNull() {
  Sink = *NullPointer;
}
[[gnu::noinline, gnu::no_sanitize("undefined", "address"), maybe_unused]] static void WriteNull() {
  *NullPointer = 1;
}
[[gnu::noinline, gnu::no_sanitize("undefined", "address"), maybe_unused]] static void
DivideByZero() {
  Sink = One / Zero;
}
[[gnu::noinline, gnu::no_sanitize("undefined", "address"), maybe_unused]] static void
DivideFloatByZero() {
  Sink = static_cast<int>(1.0 / ZeroDouble);
}
[[gnu::noinline, maybe_unused]] static void IllegalInstruction() {
  __builtin_trap();
}

// Each frame hands its address on, so no call can be turned into a jump.
[[gnu::noinline, gnu::no_sanitize("undefined", "address"), maybe_unused]] static int Recurse(
    volatile char* previous) {
  if (previous == nullptr) return 0;
  volatile char frame[512];
  frame[0] = previous[0];
  return Recurse(frame) + frame[1];
}
[[gnu::noinline, maybe_unused]] static void OverflowTheStack() {
  volatile char start[1] = {0};
  Sink = Recurse(start);
}

}  // namespace faulting
