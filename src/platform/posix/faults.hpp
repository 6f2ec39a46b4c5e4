// Processor faults on Linux: the signals of SIGSEGV, SIGBUS, SIGFPE and SIGILL become
// FaultRecord exceptions thrown from the faulting instruction.
#pragma once

#include <cstdint>

namespace platform::posix {

// The Windows exception code for a fault signal and its si_code (not for stack overflow, which
// the fault's address tells).
uint32_t FaultCodeOf(int signal, int si_code);

}  // namespace platform::posix
