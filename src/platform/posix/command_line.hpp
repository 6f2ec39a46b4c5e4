// Linux keeps no raw command line: the arguments are the argv that the system split.
#pragma once

namespace platform::posix {

// Kept for the whole process; argv outlives every question about it.
void RecordArguments(int argc, char** argv);

}  // namespace platform::posix
