// Turning a pending I/O error code into a raised EInOutError.
#pragma once

#include "failures.hpp"

namespace runtime {

// Raises EInOutError for a pending code, located just after the call of CheckIO.
void CheckIO();
// A new EInOutError for the pending code, which it takes.
EInOutError* MakeIOFailure();

}  // namespace runtime
