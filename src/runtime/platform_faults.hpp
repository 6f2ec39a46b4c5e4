// Platform faults as failure objects: one table from the Windows exception code to the class
// and the French message, whatever back end delivered the fault.
#pragma once

#include "../platform/platform.hpp"
#include "failures.hpp"

namespace runtime {

// A new failure object for the fault.
Exception* ConvertPlatformFault(const platform::FaultRecord& record);

// The table's messages are read from the string table once, by the failure machinery's
// start-up, and given back at its shutdown.
void LoadFaultMessages();
void ReleaseFaultMessages();

}  // namespace runtime
