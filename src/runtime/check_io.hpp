// Turning a pending I/O error code into a raised EInOutError.
#pragma once

#include "failures.hpp"
#include "text_stream.hpp"

namespace runtime {

// Raises EInOutError for the pending code, located just after the call of this function.
void RaisePendingIOError();

// Raises EInOutError for a pending code. The question is inline, the raise never is: the
// failure is located just after the call of RaisePendingIOError, in the caller's code.
inline void CheckIO() {
  if (PeekPendingIOError() != 0) [[unlikely]]
    RaisePendingIOError();
}
// A new EInOutError for the pending code, which it takes.
EInOutError* MakeIOFailure();

// The I/O message table is read from the string table once, by the failure machinery's
// start-up, and given back at its shutdown.
void LoadIOMessages();
void ReleaseIOMessages();

}  // namespace runtime
