#include "process.hpp"

#include "../platform/platform.hpp"
#include "text_stream.hpp"

namespace runtime {

void RunProgram(void (*main_program)()) {
  try {
    main_program();
  } catch (...) {
    // Every clean-up has run on the way here.
    EndProcess(1);
  }
  EndProcess(0);
}

void EndProcess(int32_t code) {
  // Whatever standard output still holds goes out; a code this leaves is ignored.
  CloseStream(StandardInput);
  CloseStream(StandardOutput);
  TakePendingIOError();
  platform::ExitProcess(code);
}

}  // namespace runtime
