// The last-resort report of a failure that nothing caught: two lines on standard error, in
// the console's character set, written without allocating anything.
#pragma once

#include <cstddef>
#include <exception>

#include "failures.hpp"

namespace runtime {

inline constexpr std::size_t kReportSize = 1024;

// The report's text in `area`, ended by a zero byte; the result is its length.
std::size_t ComposeFailureReport(const Exception& failure, const void* location,
                                 char (&area)[kReportSize]);
// Writes out standard output, then the report and an empty line to standard error.
void WriteFailureReport(const Exception& failure, const void* location);

// Reports `failure`, whatever was thrown: a failure raised while the report is written
// replaces it and is reported in its place.
void ReportFailure(std::exception_ptr failure);

// Room for the report in the console's character set, taken once at start-up so that the
// report needs no memory when it is written.
void ReserveReportArea();
void ReleaseReportArea();

}  // namespace runtime
