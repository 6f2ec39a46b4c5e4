#include "check_io.hpp"

#include <string>

#include "../platform/platform.hpp"
#include "text_stream.hpp"

namespace runtime {
namespace {

struct IOMessage {
  int32_t code;
  uint32_t text_id;
};

constexpr IOMessage kIOMessages[] = {
    {2, 65522}, {3, 65523}, {4, 65524}, {5, 65525}, {100, 65526}, {101, 65527}, {106, 65528},
};
constexpr uint32_t kGenericIOMessage = 65521;  // "Erreur E/S %d"

std::string LoadString(uint32_t id) {
  char text[256];
  return std::string(text, platform::LoadText(id, text, sizeof text));
}

std::string IOMessageFor(int32_t code) {
  for (const IOMessage& row : kIOMessages) {
    if (row.code == code) return LoadString(row.text_id);
  }
  std::string message = LoadString(kGenericIOMessage);
  if (const std::size_t at = message.find("%d"); at != std::string::npos) {
    message.replace(at, 2, std::to_string(code));
  }
  return message;
}

}  // namespace

EInOutError* MakeIOFailure() {
  const int32_t code = TakePendingIOError();
  return new EInOutError(IOMessageFor(code), code);
}

// Never inlined: the failure location is the return address of this call.
[[gnu::noinline]] void CheckIO() {
  if (PeekPendingIOError() != 0) Raise(MakeIOFailure(), __builtin_return_address(0));
}

}  // namespace runtime
