// Cutting a command line into arguments: blanks and control bytes separate, double quotes
// group and are dropped, and an empty pair of quotes is thrown away. Nothing is cached: every
// question cuts the line again from its start.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "../platform/platform.hpp"

namespace runtime {

using platform::CharStep;

// Steps over one byte: for a code page whose characters are all single bytes.
std::size_t StepOneByte(std::string_view line, std::size_t position);

// Cuts the argument that follows `position` into `argument` and returns where it ended: at
// a separator or at the end of the line. A NUL byte ends the line like its end does.
std::size_t NextArgument(std::string_view line, std::size_t position, std::string& argument,
                         CharStep step = StepOneByte);

// Over a raw command line, whose first field is the program's own invocation (argument 0,
// never counted). An index beyond the count gives an empty argument.
std::size_t ArgumentCount(std::string_view line, CharStep step = StepOneByte);
void ArgumentAt(std::string_view line, std::size_t index, std::string& argument,
                CharStep step = StepOneByte);

// The same two questions about this process's own command line, in whatever form the
// platform keeps it.
std::size_t ArgumentCount();
void ArgumentAt(std::size_t index, std::string& argument);

}  // namespace runtime
