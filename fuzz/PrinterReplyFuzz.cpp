// libFuzzer target over the decoders of what a printer answers: the status
// inquiries, memory-bank identity and information replies, the RFID
// encoder's inquiry and tag-read replies, and the sensing histogram with its
// analysis. The first byte picks the reader (and its variant); the rest is the
// reply as it came off the port. Nothing may crash or trip a sanitizer, and
// each decoder's own promises are checked where they are cheap to state.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "calibration/SensingAnalysis.h"
#include "rfid/RfidCommands.h"
#include "rfid/RfidExchange.h"
#include "settings/MemoryBank.h"
#include "status/StatusDecoding.h"

namespace {

void Status(uint8_t variant, std::span<const uint8_t> reply) {
  const auto command = static_cast<qm::StatusCommand>(variant % 4);
  // The reply buffer is the length the command asks for; a short read
  // leaves zeros behind, a long one is cut to the buffer.
  const uint32_t length = qm::QueryFor(command).replyLength;
  std::array<uint8_t, 16> buffer{};
  const size_t copied = std::min<size_t>(reply.size(), length);
  std::memcpy(buffer.data(), reply.data(), copied);
  const std::span<const uint8_t> filled(buffer.data(), length);
  (void)qm::ReplyComplete(command, filled, uint32_t(reply.size()));
  const auto flags = qm::DecodeStatusReply(command, filled);
  if (flags.size() != qm::IndicatorLabels(command).size()) std::abort();
}

void MemoryBank(uint8_t variant, std::span<const uint8_t> reply) {
  namespace mb = qm::membank;
  const auto count = uint32_t(reply.size());
  const std::string identity = mb::IdentityText(reply.data(), count);
  if (identity.size() > reply.size() || identity.find('\0') != std::string::npos) std::abort();
  const std::string info = mb::InfoText(reply.data(), count);
  if (info.size() > mb::kInfoReplyMax) std::abort();
  const std::string text(reinterpret_cast<const char*>(reply.data()), reply.size());
  (void)mb::TemperatureText(text);
  const std::string shown = mb::WithoutLineEnd(text);
  if (!shown.empty() && (shown.back() == '\r' || shown.back() == '\n')) std::abort();
  (void)mb::IsPlainText(text);
  (void)mb::IdentityReplyLength(variant % 8);
}

void RfidInquiry(uint8_t variant, std::span<const uint8_t> reply) {
  // The window reads each reply as text up to its first zero byte.
  std::string_view text(reinterpret_cast<const char*>(reply.data()), reply.size());
  text = text.substr(0, text.find('\0'));
  qm::RfidSettings settings;
  qm::ApplyInquiryReply(1 + variant % qm::kInquiryCount, text, settings);
  (void)qm::LeadingNumber(text);
  if (settings.writingPower >= qm::kWritingPowerEntries || settings.retryCount >= qm::kRetryEntries ||
      settings.labelCount >= qm::kLabelEntries || settings.tagType > 1)
    std::abort();
}

void RfidTagRead(uint8_t variant, std::span<const uint8_t> reply) {
  // Two bytes choose the range asked for, the rest is what came back.
  if (reply.size() < 2) return;
  qm::RfidReadRequest request;
  request.ascii = variant & 1;
  request.userMemory = variant & 2;
  request.startBlock = reply[0] % 40;
  request.byteCount = reply[1] % 70;
  reply = reply.subspan(2);
  qm::RfidReadResult result;
  result.sent = true;
  result.received = uint32_t(std::min<size_t>(reply.size(), qm::kReadBufferBytes));
  std::memcpy(result.buffer.data(), reply.data(), result.received);
  (void)qm::PlaceReadData(request, result);
}

void Sensing(uint8_t variant, std::span<const uint8_t> reply) {
  std::array<uint8_t, 64> buffer{};
  std::memcpy(buffer.data(), reply.data(), std::min<size_t>(reply.size(), buffer.size()));
  const qm::SensingCounts counts = qm::DecodeSensingCounts(buffer);
  const int type = variant & 1 ? qm::kBlackMarkSensing : qm::kGapSensing;
  const qm::DistributionAnalysis analysis = qm::AnalyzeDistribution(counts, type);
  if (analysis.selectedLevel < 0 || analysis.selectedLevel >= qm::kBucketCount) std::abort();
  (void)qm::FinerCandidates(type, analysis.lowerPeak, analysis.upperPeak, analysis.Difference());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t selector = data[0];
  const std::span<const uint8_t> reply(data + 1, size - 1);
  switch (selector % 5) {
    case 0: Status(selector / 5, reply); break;
    case 1: MemoryBank(selector / 5, reply); break;
    case 2: RfidInquiry(selector / 5, reply); break;
    case 3: RfidTagRead(selector / 5, reply); break;
    default: Sensing(selector / 5, reply); break;
  }
  return 0;
}
