// Turning a pending I/O error code into a raised EInOutError.
#pragma once

#include "failures.hpp"

namespace runtime {

// Raises EInOutError for a pending code, located just after the call of CheckIO.
void CheckIO();
// A new EInOutError for the pending code, which it takes.
EInOutError* MakeIOFailure();

// The I/O message table is read from the string table once, by the failure machinery's
// start-up, and given back at its shutdown.
void LoadIOMessages();
void ReleaseIOMessages();

}  // namespace runtime
