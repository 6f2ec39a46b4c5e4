// A fault signal is handled on an alternate stack (a stack overflow leaves no room on the
// program's own) by throwing a FaultRecord. The program is built with -fnon-call-exceptions
// and asynchronous unwind tables, so the exception unwinds from the faulting instruction
// through the clean-ups to the handlers like any failure. The faulting signal is not blocked
// while it is handled: the throw leaves the handler without restoring the signal mask.
#include "faults.hpp"

#include <pthread.h>
#include <signal.h>
#include <ucontext.h>

#include <iterator>

#include "../platform.hpp"

namespace platform {
namespace posix {

uint32_t FaultCodeOf(int signal, int si_code) {
  switch (signal) {
    case SIGFPE:
      switch (si_code) {
        case FPE_INTDIV:
          return fault::kIntDivideByZero;
        case FPE_INTOVF:
          return fault::kIntOverflow;
        case FPE_FLTDIV:
          return fault::kFltDivideByZero;
        case FPE_FLTOVF:
          return fault::kFltOverflow;
        case FPE_FLTUND:
          return fault::kFltUnderflow;
        case FPE_FLTRES:
          return fault::kFltInexactResult;
        case FPE_FLTSUB:
          return fault::kArrayBoundsExceeded;
        default:
          return fault::kFltInvalidOperation;
      }
    case SIGILL:
      return si_code == ILL_PRVOPC || si_code == ILL_PRVREG ? fault::kPrivilegedInstruction
                                                            : fault::kIllegalInstruction;
    default:
      return fault::kAccessViolation;
  }
}

}  // namespace posix

namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction PreviousActions[std::size(kFaultSignals)];
bool Installed = false;

alignas(16) unsigned char AlternateStack[64 * 1024];

// The main thread's stack as the kernel lets it grow, and the gap it keeps below it: a fault
// there is a stack overflow.
uintptr_t StackLow = 0;
uintptr_t StackHigh = 0;
constexpr uintptr_t kStackGuardReach = (1 << 20) + (64 << 10);

void RecordStackBounds() {
  pthread_attr_t attributes;
  if (::pthread_getattr_np(::pthread_self(), &attributes) != 0) return;
  void* low = nullptr;
  std::size_t size = 0;
  if (::pthread_attr_getstack(&attributes, &low, &size) == 0) {
    StackLow = reinterpret_cast<uintptr_t>(low);
    StackHigh = StackLow + size;
  }
  ::pthread_attr_destroy(&attributes);
}

bool IsStackOverflow(uintptr_t data_address, uintptr_t stack_pointer) {
  if (StackHigh == 0) return false;
  const bool near_stack = data_address < StackHigh && data_address + kStackGuardReach >= StackLow;
  return near_stack || stack_pointer < StackLow;
}

// What the processor state tells: the faulting instruction, the stack pointer, and whether a
// memory access read, wrote or fetched an instruction (x86 page-fault error code).
struct ProcessorState {
  const void* instruction = nullptr;
  uintptr_t stack_pointer = 0;
  uintptr_t access = fault::kRead;
};

ProcessorState StateOf([[maybe_unused]] const siginfo_t& info,
                       [[maybe_unused]] const ucontext_t& context) {
  ProcessorState state;
#if defined(__x86_64__) || defined(__i386__)
#if defined(__x86_64__)
  state.instruction = reinterpret_cast<const void*>(context.uc_mcontext.gregs[REG_RIP]);
  state.stack_pointer = static_cast<uintptr_t>(context.uc_mcontext.gregs[REG_RSP]);
#else
  state.instruction = reinterpret_cast<const void*>(context.uc_mcontext.gregs[REG_EIP]);
  state.stack_pointer = static_cast<uintptr_t>(context.uc_mcontext.gregs[REG_ESP]);
#endif
  const auto error_code = static_cast<uintptr_t>(context.uc_mcontext.gregs[REG_ERR]);
  if (error_code & 0x10) {
    state.access = fault::kExecute;
  } else if (error_code & 0x2) {
    state.access = fault::kWrite;
  }
#else
  // Elsewhere only the faults that are not memory accesses tell their instruction.
  if (info.si_signo != SIGSEGV && info.si_signo != SIGBUS) state.instruction = info.si_addr;
#endif
  return state;
}

FaultRecord RecordOf(int signal, const siginfo_t& info, const ucontext_t& context) {
  const ProcessorState state = StateOf(info, context);
  FaultRecord record{posix::FaultCodeOf(signal, info.si_code), {}, state.instruction};
  if (record.Code != fault::kAccessViolation) return record;
  // A general-protection fault does not tell the address it was refused; Windows shows it as
  // all ones.
  const uintptr_t data_address =
      info.si_code == SI_KERNEL ? ~uintptr_t{0} : reinterpret_cast<uintptr_t>(info.si_addr);
  if (signal == SIGSEGV && IsStackOverflow(data_address, state.stack_pointer)) {
    record.Code = fault::kStackOverflow;
  }
  record.Information[0] = state.access;
  record.Information[1] = data_address;
  return record;
}

void OnFault(int signal, siginfo_t* info, void* context) {
  // Sent by a process, not raised by the processor: the platform's own handling, as for an
  // interrupt.
  if (info->si_code <= 0) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  throw RecordOf(signal, *info, *static_cast<const ucontext_t*>(context));
}

}  // namespace

void CatchPlatformFaults() {
  if (Installed) return;
  RecordStackBounds();
  stack_t alternate{};
  alternate.ss_sp = AlternateStack;
  alternate.ss_size = sizeof AlternateStack;
  ::sigaltstack(&alternate, nullptr);

  struct sigaction action {};
  action.sa_sigaction = OnFault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < std::size(kFaultSignals); ++i) {
    ::sigaction(kFaultSignals[i], &action, &PreviousActions[i]);
  }
  Installed = true;
}

void ReleasePlatformFaults() {
  if (!Installed) return;
  for (std::size_t i = 0; i < std::size(kFaultSignals); ++i) {
    ::sigaction(kFaultSignals[i], &PreviousActions[i], nullptr);
  }
  Installed = false;
}

}  // namespace platform
