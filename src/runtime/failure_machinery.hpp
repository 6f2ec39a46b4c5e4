// The failure machinery's start-up and shutdown, and the two failure objects made in advance.
#pragma once

#include "failures.hpp"

namespace runtime {

// Raised as they are every time their failure occurs, so that raising them needs no memory.
// Null before start-up and after shutdown.
extern EOutOfMemory* OutOfMemoryFailure;
extern EInvalidPointer* InvalidPointerFailure;

// Makes the two objects, loads the message tables, and connects the memory allocation and
// the platform's faults to the failure path.
void StartFailureMachinery();
// Disconnects all that and releases the objects and tables.
void ShutDownFailureMachinery();

// Raises OutOfMemoryFailure, located at the call of this function: the point in the memory
// allocation that found the request cannot be met.
[[noreturn]] void RaiseOutOfMemory();

}  // namespace runtime
