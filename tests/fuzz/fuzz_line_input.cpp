// Line input against the plain model of the line rules: any bytes, delivered in reads of any
// size from 1 to 128, give the model's lines, and the input ends where the model says, with
// no read beyond that point.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fake_os.hpp"
#include "line_model.hpp"
#include "runtime/line_input.hpp"
#include "runtime/text_stream.hpp"

namespace {

using runtime::StandardInput;

void Require(bool holds) {
  if (!holds) std::abort();
}

// The bytes, and the reads that deliver them: the read sizes come from the end of the fuzz
// input, the bytes from its front.
struct Delivery {
  std::string data;
  std::vector<std::size_t> read_ends;  // where each read's bytes end in `data`
};

Delivery Deliver(const uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider provider(bytes, size);
  Delivery delivery;
  auto& reads = fake::At(fake::kStdIn).reads;
  while (provider.remaining_bytes() > 0) {
    const auto read_size = provider.ConsumeIntegralInRange<std::size_t>(1, 128);
    const std::string chunk = provider.ConsumeBytesAsString(read_size);
    if (chunk.empty()) break;
    reads.push_back({chunk});
    delivery.data += chunk;
    delivery.read_ends.push_back(delivery.data.size());
  }
  return delivery;
}

// The reads the input needs to reach `end`: the one that holds the ending 0x1A, or every read
// and then the empty one that tells the end of the data.
std::size_t ReadsThrough(const Delivery& delivery, std::size_t end) {
  if (end == delivery.data.size()) return delivery.read_ends.size() + 1;
  std::size_t reads = 0;
  while (delivery.read_ends[reads] <= end) ++reads;
  return reads + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
  fake::Reset();
  runtime::TakePendingIOError();
  runtime::BindStream(StandardInput, "");
  Require(runtime::OpenInput(StandardInput) == 0);
  const Delivery delivery = Deliver(bytes, size);

  std::vector<std::string> lines;
  std::string line;
  while (!runtime::AtEndOfInput(StandardInput)) {
    runtime::GetLine(StandardInput, line);
    runtime::SkipLine(StandardInput);
    lines.push_back(line);
  }
  std::size_t end = 0;
  Require(lines == model::Lines(delivery.data, &end));
  // The end is kept: asking again reads nothing more.
  Require(runtime::AtEndOfInput(StandardInput));
  Require(runtime::NextByte(StandardInput) == runtime::kInputEnd);
  const std::vector<uint32_t>& asked = fake::At(fake::kStdIn).read_sizes;
  Require(asked.size() == ReadsThrough(delivery, end));
  for (const uint32_t read_size : asked) Require(read_size == 128);
  Require(runtime::TakePendingIOError() == 0);
  return 0;
}
