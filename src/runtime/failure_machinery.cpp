#include "failure_machinery.hpp"

#include <cstdlib>
#include <new>

#include "../platform/platform.hpp"
#include "check_io.hpp"
#include "failure_report.hpp"
#include "platform_faults.hpp"
#include "texts_by_id.hpp"

namespace runtime {
namespace {

constexpr uint32_t kOutOfMemoryId = 65520;
constexpr uint32_t kInvalidPointerId = 65504;

// Memory that the allocations of the standard library ask for in their own way comes back here
// when it cannot be had.
void OnUnmetRequest() {
  RaiseOutOfMemory();
}

template <typename Class>
Class* MakeKept(uint32_t text_id) {
  Class* object = new Class(TextById(text_id));
  KeepForever(*object);
  return object;
}

template <typename Class>
void Release(Class*& object) {
  Class* released = object;
  object = nullptr;
  if (released != nullptr) StopKeeping(*released);
}

}  // namespace

EOutOfMemory* OutOfMemoryFailure = nullptr;
EInvalidPointer* InvalidPointerFailure = nullptr;

void StartFailureMachinery() {
  OutOfMemoryFailure = MakeKept<EOutOfMemory>(kOutOfMemoryId);
  InvalidPointerFailure = MakeKept<EInvalidPointer>(kInvalidPointerId);
  LoadIOMessages();
  LoadFaultMessages();
  ReserveReportArea();
  std::set_new_handler(OnUnmetRequest);
  platform::CatchPlatformFaults();
}

void ShutDownFailureMachinery() {
  platform::ReleasePlatformFaults();
  std::set_new_handler(nullptr);
  Release(InvalidPointerFailure);
  Release(OutOfMemoryFailure);
  ReleaseReportArea();
  ReleaseFaultMessages();
  ReleaseIOMessages();
}

[[gnu::noinline]] void RaiseOutOfMemory() {
  // Before start-up and after shutdown there is no failure to raise and no handler to report
  // it: the process ends at once, with the exit code of a failure.
  if (OutOfMemoryFailure == nullptr) std::_Exit(1);
  // The last byte of the call: a call that never returns may end its function, and its
  // return address would then lie in the next one.
  Raise(OutOfMemoryFailure, static_cast<const char*>(__builtin_return_address(0)) - 1);
}

}  // namespace runtime
