#include <ostream>

#include "cli/PrinterConnection.h"
#include "cli/Subcommands.h"
#include "link/PrinterPort.h"
#include "status/StatusExchange.h"

namespace qm::cli {

// Asks every status inquiry the connection allows and prints one line each:
// the command and the conditions its reply ticks.
int RunStatus(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  ConnectionOptions options;
  std::vector<std::string> rest;
  if (!TakeConnectionOptions(args, options, rest, err)) return 2;
  if (!rest.empty()) {
    err << "quillmark-cli status: unexpected '" << rest.front() << "'\n";
    return 2;
  }
  PrinterConnection connection(err);
  if (!connection.Open(options)) return 1;

  bool anyAnswered = false;
  for (StatusCommand command :
       {StatusCommand::Cp, StatusCommand::Cu, StatusCommand::Cps, StatusCommand::ErrorCode}) {
    const StatusQuery& query = QueryFor(command);
    if (query.serialOnly && connection.Port().GetInterfaceType() != Serial) continue;
    auto result = ExchangeStatus(connection.Port(), connection.GetClock(), command,
                                 [&] { err << query.command << ": short reply, reading again\n"; });
    if (!result.sent) return 1;
    out << query.command << ":";
    if (!result.complete) {
      out << " no reply\n";
      continue;
    }
    anyAnswered = true;
    const auto labels = IndicatorLabels(command);
    const auto ticked = DecodeStatusReply(command, result.reply);
    const char* separator = " ";
    for (size_t i = 0; i < labels.size() && i < ticked.size(); ++i) {
      if (!ticked[i]) continue;
      out << separator << labels[i];
      separator = ", ";
    }
    out << "\n";
  }
  return anyAnswered ? 0 : 1;
}

}  // namespace qm::cli
