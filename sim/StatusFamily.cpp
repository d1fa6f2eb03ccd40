#include "sim/StatusFamily.h"

#include <array>
#include <string_view>

namespace qm::sim {

namespace {

struct StatusCommand {
  std::string_view text;  // CR included
  std::vector<uint8_t> (*reply)(const StatusFlags&);
};

const std::array<StatusCommand, 4> kCommands{{
    {"^cp\r",
     [](const StatusFlags& s) {
       return std::vector<uint8_t>{s.cpReply[0], s.cpReply[1]};
     }},
    {"^cu\r", [](const StatusFlags& s) { return std::vector<uint8_t>{s.cuReply}; }},
    {"CPS\r", [](const StatusFlags& s) { return std::vector<uint8_t>{s.cpsReply}; }},
    {"^ee\r",
     [](const StatusFlags& s) {
       return std::vector<uint8_t>{static_cast<uint8_t>(s.errorCode[0]),
                                   static_cast<uint8_t>(s.errorCode[1]), '\r', '\n'};
     }},
}};

}  // namespace

Match StatusFamily::Try(std::span<const uint8_t> input, PrinterState& state) {
  bool partial = false;
  const StatusCommand* command = FindLiteral(
      input, kCommands, [](const StatusCommand& c) { return c.text; }, partial);
  if (command)
    return Match::Took(command->text.size(),
                       std::string(command->text.substr(0, command->text.size() - 1)),
                       command->reply(state.status));
  return partial ? Match::More() : Match::No();
}

}  // namespace qm::sim
