#include "rfid/RfidExchange.h"

#include "base/Clock.h"
#include "link/PrinterPort.h"
#include "base/Countdown.h"

namespace qm {

namespace {

int Send(PrinterPort& port, const std::string& bytes) {
  return port.Write(bytes);
}

}  // namespace

RfidGetResult GetRfidSettings(PrinterPort& port, Clock& clock, const RfidSettings& current) {
  RfidGetResult result;
  result.settings = current;
  // By the end of the wait the encoder has sent its whole answer, so a short
  // quiet gap ends each read, on every interface.
  for (int n = 1; n <= kInquiryCount; ++n) {
    // A failed write has been reported by the port; its empty reply then
    // counts as a missing answer, as the seventh decides.
    Send(port, InquiryCommand(n));
    clock.Sleep(kInquiryWaitMs);
    // Zero-filled one past the 16 bytes, so any reply is a terminated text.
    std::array<char, kInquiryReplyBytes + 1> reply{};
    const uint32_t received = port.ReadReply(reply.data(), kInquiryReplyBytes, kInquiryGapMs);
    ApplyInquiryReply(n, std::string_view(reply.data()), result.settings);
    result.lastReplyBytes = received;
  }
  return result;
}

WriteOutcome RunWriteSequence(PrinterPort& port, const RfidWriteRequest& r) {
  if (!r.AnyOperation()) return WriteOutcome::NothingChosen;
  if (r.unlock && !Send(port, UnlockCommand(LineEnd::Sent))) return WriteOutcome::PortFailed;
  if (r.data &&
      !Send(port, WriteDataCommand(r.format, r.startBlock, r.byteCount, r.cellText, LineEnd::Sent)))
    return WriteOutcome::PortFailed;
  if (r.lock && !Send(port, LockPayloadCommand(false, r.lockBoxes, LineEnd::Sent)))
    return WriteOutcome::PortFailed;
  if (!Send(port, kPrintOneLabelCommand)) return WriteOutcome::PortFailed;
  return WriteOutcome::Written;
}

RfidReadResult ReadTagData(PrinterPort& port, Clock& clock, const RfidReadRequest& request,
                           const std::function<void(int secondsLeft)>& secondsLeft) {
  RfidReadResult result;
  const TagDataFormat format = request.userMemory ? TagDataFormat::User
                               : request.ascii    ? TagDataFormat::Ascii
                                                  : TagDataFormat::Hex;
  if (!Send(port,
            ReadDataCommand(format, request.startBlock, request.byteCount, 'S', LineEnd::Sent)))
    return result;
  result.sent = true;
  SleepCountingDown(clock, kTagReadWaitMs, secondsLeft);

  const uint32_t length = std::min(request.ReplyLength(), kReadBufferBytes);
  if (port.GetInterfaceType() != Usb) {
    result.received = port.Read(result.buffer.data(), length);
    return result;
  }
  // The USB printer hands a reply over in 16-byte transfers. Every character
  // is read, the last piece as long as what remains.
  while (result.received < length) {
    const uint32_t piece = std::min(kUsbReadPiece, length - result.received);
    const uint32_t got = port.Read(result.buffer.data() + result.received, piece);
    result.received += got;
    if (got < piece) break;
  }
  return result;
}

std::array<std::string, kDataCells> PlaceReadData(const RfidReadRequest& request,
                                                  const RfidReadResult& result) {
  std::array<std::string, kDataCells> cells;
  cells.fill("-");
  const uint32_t length = std::min(request.ReplyLength(), kReadBufferBytes);
  const uint32_t step = request.ascii ? 1 : 2;
  for (uint32_t i = 0; i * step < length; ++i) {
    const uint32_t cell = uint32_t(request.startBlock) + i;
    if (cell >= kDataCells) continue;
    std::string text;
    for (uint32_t k = 0; k < step && result.buffer[i * step + k] != 0; ++k)
      text += result.buffer[i * step + k];
    cells[cell] = text;
  }
  return cells;
}

}  // namespace qm
