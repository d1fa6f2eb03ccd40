#include "status/StatusExchange.h"

#include <string>

#include "base/Clock.h"
#include "link/PrinterPort.h"

namespace qm {

StatusExchangeResult ExchangeStatus(PrinterPort& port, Clock& clock, StatusCommand command,
                                    const std::function<void()>& onShortReply) {
  const StatusQuery& query = QueryFor(command);
  StatusExchangeResult result;
  std::string text(query.command);
  text += '\r';
  if (!port.Write(text)) return result;
  result.sent = true;

  clock.Sleep(query.waitMs);
  uint32_t received = port.Read(result.reply.data(), query.replyLength);
  if (ReplyComplete(command, result.reply, received)) {
    result.complete = true;
    return result;
  }
  if (onShortReply) onShortReply();
  received = port.Read(result.reply.data(), query.replyLength);
  // The second read is taken when its length is right, as the printer's
  // older tools did; an empty buffer never counts as a reply.
  result.complete = received == query.replyLength;
  return result;
}

}  // namespace qm
