#include "check_io.hpp"

#include <iterator>
#include <string>

#include "format.hpp"
#include "text_stream.hpp"
#include "texts_by_id.hpp"

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

std::string LoadedMessages[std::size(kIOMessages)];
std::string GenericMessage;

std::string IOMessageFor(int32_t code) {
  for (std::size_t row = 0; row < std::size(kIOMessages); ++row) {
    if (kIOMessages[row].code == code) return LoadedMessages[row];
  }
  char message[kTextSize];
  return std::string(message, FormatText(message, sizeof message, GenericMessage.c_str(), {code}));
}

}  // namespace

void LoadIOMessages() {
  for (std::size_t row = 0; row < std::size(kIOMessages); ++row) {
    LoadedMessages[row] = TextById(kIOMessages[row].text_id);
  }
  GenericMessage = TextById(kGenericIOMessage);
}

void ReleaseIOMessages() {
  for (std::string& message : LoadedMessages) std::string().swap(message);
  std::string().swap(GenericMessage);
}

EInOutError* MakeIOFailure() {
  const int32_t code = TakePendingIOError();
  return new EInOutError(IOMessageFor(code), code);
}

// Never inlined: the failure location is the return address of this call.
[[gnu::noinline]] void RaisePendingIOError() {
  Raise(MakeIOFailure(), __builtin_return_address(0));
}

}  // namespace runtime
