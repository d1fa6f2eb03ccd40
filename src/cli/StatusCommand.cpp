#include <ostream>

#include "cli/PortRunner.h"
#include "link/PrinterPort.h"
#include "status/StatusExchange.h"

namespace qm::cli {
namespace {

// One inquiry's reply as JSON: the raw bytes and every indicator of its page
// by name, ticked or not.
nlohmann::ordered_json ReplyJson(StatusCommand command, const StatusExchangeResult& result) {
  const StatusQuery& query = QueryFor(command);
  nlohmann::ordered_json reply = {{"command", query.command}, {"answered", result.complete}};
  reply["raw"] = BytesJson(result.reply.data(), query.replyLength);
  const auto labels = IndicatorLabels(command);
  const auto ticked = DecodeStatusReply(command, result.reply);
  nlohmann::ordered_json flags = nlohmann::ordered_json::array();
  for (size_t i = 0; i < labels.size() && i < ticked.size(); ++i)
    flags.push_back({{"name", labels[i]}, {"set", bool(ticked[i])}});
  reply["flags"] = flags;
  return reply;
}

// Asks every status inquiry the connection allows and prints one line each:
// the command and the conditions its reply ticks. A printer that leaves an
// inquiry unanswered is not asked the rest, so a silent line ends within
// two reply time-outs instead of eight.
PortResult AskStatus(PortSession& session) {
  PortResult result;
  result.json["replies"] = nlohmann::ordered_json::array();
  for (StatusCommand command :
       {StatusCommand::Cp, StatusCommand::Cu, StatusCommand::Cps, StatusCommand::ErrorCode}) {
    const StatusQuery& query = QueryFor(command);
    if (query.serialOnly && session.port.GetInterfaceType() != Serial) continue;
    const auto reply = ExchangeStatus(session.port, session.clock, command, [&] {
      session.err << query.command << ": short reply, reading again\n";
    });
    if (!reply.sent) return {kFailed, {{"error", "the printer did not take the command"}}};
    result.json["replies"].push_back(ReplyJson(command, reply));
    session.out << query.command << ":";
    if (!reply.complete) {
      session.out << " no reply\n";
      session.err << query.command << " got no reply; the other inquiries were not asked\n";
      result.json["error"] = std::string(query.command) + " got no reply";
      result.code = kFailed;
      return result;
    }
    const auto labels = IndicatorLabels(command);
    const auto ticked = DecodeStatusReply(command, reply.reply);
    const char* separator = " ";
    for (size_t i = 0; i < labels.size() && i < ticked.size(); ++i) {
      if (!ticked[i]) continue;
      session.out << separator << labels[i];
      separator = ", ";
    }
    session.out << "\n";
  }
  return result;
}

}  // namespace

int RunStatus(const StatusOptions& options, Streams streams) {
  return RunOnPorts(options.line, AskStatus, streams);
}

}  // namespace qm::cli
