// libFuzzer target over the virtual printer's command parser, every family at
// once: any bytes, as the tool might write them, fed in chunks. The first
// byte picks the chunk size and the reply faults. Nothing may crash, hang or
// trip a sanitizer, and where the input is cut must not change what the
// printer answers (the port delivers writes in pieces of any size).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace {

std::vector<uint8_t> FeedInChunks(std::span<const uint8_t> input, size_t chunk, uint8_t faults) {
  qm::sim::VirtualPrinter printer;
  printer.Faults().truncate = faults & 1;
  printer.Faults().garble = faults & 2;
  printer.Faults().silent = (faults & 12) == 12;
  std::vector<uint8_t> replies;
  for (size_t at = 0; at < input.size(); at += chunk) {
    const auto piece = printer.Feed(input.subspan(at, std::min(chunk, input.size() - at)));
    replies.insert(replies.end(), piece.begin(), piece.end());
    (void)printer.TakeReplyDelayMs();
  }
  return replies;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t control = data[0];
  const std::span<const uint8_t> input(data + 1, size - 1);
  const size_t chunk = 1 + (control >> 4);
  const auto whole = FeedInChunks(input, std::max<size_t>(input.size(), 1), control & 15);
  const auto pieces = FeedInChunks(input, chunk, control & 15);
  if (whole != pieces) std::abort();
  return 0;
}
