// Structured exceptions of the processor become FaultRecord exceptions of the language. A
// vectored handler cannot throw through the system's dispatch, so it lets the thread go on as
// if the faulting instruction had called a function that throws: the unwinder then starts in the
// faulting function, at the faulting instruction (the program is built with
// -fnon-call-exceptions, so that instruction lies in the regions of its clean-ups and
// handlers).
#include "../platform.hpp"
#include "windows.hpp"

namespace platform {
namespace {

thread_local FaultRecord Pending{};
PVOID Handler = nullptr;
// Room that a stack overflow leaves for the handler and for unwinding.
constexpr ULONG kStackGuarantee = 64 * 1024;

bool IsProcessorFault(DWORD code) {
  switch (code) {
    case fault::kAccessViolation:
    case fault::kIllegalInstruction:
    case fault::kPrivilegedInstruction:
    case fault::kStackOverflow:
      return true;
    default:
      return code >= fault::kArrayBoundsExceeded && code <= fault::kIntOverflow;
  }
}

}  // namespace

extern "C" [[noreturn]] void kelvor_ThrowPendingFault() {
  throw FaultRecord(Pending);
}

// A function must begin with its stack 8 bytes past a 16-byte boundary, as after a call. When
// the faulting instruction's stack is that way already, the fake call enters here instead: a
// frame with nothing of its own that calls on with the stack as a call leaves it.
extern "C" void kelvor_CallThrowPendingFault();
asm(".text\n"
    ".globl kelvor_CallThrowPendingFault\n"
    ".def kelvor_CallThrowPendingFault; .scl 2; .type 32; .endef\n"
    ".seh_proc kelvor_CallThrowPendingFault\n"
    "kelvor_CallThrowPendingFault:\n"
    ".seh_endprologue\n"
    "  call kelvor_ThrowPendingFault\n"
    "  int3\n"
    ".seh_endproc\n");

namespace {

LONG CALLBACK OnException(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  if (!IsProcessorFault(record.ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  Pending = FaultRecord{record.ExceptionCode, {}, record.ExceptionAddress};
  if (record.NumberParameters >= 2) {
    Pending.Information[0] = static_cast<uintptr_t>(record.ExceptionInformation[0]);
    Pending.Information[1] = static_cast<uintptr_t>(record.ExceptionInformation[1]);
  }
  CONTEXT& context = *exception->ContextRecord;
  // The return address lies one byte into the faulting instruction, so that the unwinder's
  // "one before the return address" is the instruction itself.
  const bool aligned_for_a_call = context.Rsp % 16 == 0;
  context.Rsp -= sizeof(DWORD64);
  *reinterpret_cast<DWORD64*>(context.Rsp) = context.Rip + 1;
  context.Rip = reinterpret_cast<DWORD64>(aligned_for_a_call ? &kelvor_ThrowPendingFault
                                                             : &kelvor_CallThrowPendingFault);
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

void CatchPlatformFaults() {
  if (Handler != nullptr) return;
  ULONG guarantee = kStackGuarantee;
  ::SetThreadStackGuarantee(&guarantee);
  Handler = ::AddVectoredExceptionHandler(1, OnException);
}

void ReleasePlatformFaults() {
  if (Handler == nullptr) return;
  ::RemoveVectoredExceptionHandler(Handler);
  Handler = nullptr;
}

}  // namespace platform
