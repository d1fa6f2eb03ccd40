#include "sim/MemoryBankFamily.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <optional>

#include "settings/MemoryBank.h"

namespace qm::sim {

namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kResetMarker = 0x0F;
// A CR-terminated command longer than this is not one of ours.
constexpr size_t kLongestCommand = 64;

std::optional<int> DigitAt(std::span<const uint8_t> input, size_t at) {
  if (at >= input.size() || input[at] < '0' || input[at] > '9') return std::nullopt;
  return input[at] - '0';
}

std::optional<int> Decimal(std::span<const uint8_t> bytes) {
  int value = 0;
  const char* begin = reinterpret_cast<const char*>(bytes.data());
  const auto [end, ec] = std::from_chars(begin, begin + bytes.size(), value);
  if (bytes.empty() || ec != std::errc() || end != begin + bytes.size()) return std::nullopt;
  return value;
}

std::vector<uint8_t> Line(const std::string& text) {
  std::vector<uint8_t> reply(text.begin(), text.end());
  reply.push_back('\r');
  reply.push_back('\n');
  return reply;
}

bool ValidBank(int bank) {
  return bank >= 1 && bank <= kBankCount;
}

// A fixed-length command: NeedMore until `length` bytes are there.
Match Fixed(std::span<const uint8_t> input, size_t length, const std::function<Match()>& take) {
  return input.size() < length ? Match::More() : take();
}

// A CR-terminated command: `take` gets the bytes between the 4-byte head and the CR.
Match Terminated(std::span<const uint8_t> input,
                 const std::function<Match(std::span<const uint8_t>, size_t)>& take) {
  const auto cr = std::find(input.begin() + 4, input.end(), kCr);
  if (cr == input.end()) return input.size() > kLongestCommand ? Match::No() : Match::More();
  // A CR past the longest command is script, however the bytes arrived.
  if (size_t(cr - input.begin()) > kLongestCommand) return Match::No();
  const size_t length = size_t(cr - input.begin()) + 1;
  return take(input.subspan(4, length - 5), length);
}

Match ReadBankCommand(std::span<const uint8_t> input, MemoryBankState& m) {
  return Fixed(input, 7, [&] {
    const auto bank = DigitAt(input, 4);
    std::vector<uint8_t> reply;
    if (bank && ValidBank(*bank) && input[5] == ',' &&
        input[6] == uint8_t(membank::ChannelDigit(m.answersOn)))
      reply.push_back(m.banks[size_t(*bank - 1)]);
    return Match::Took(7, "^MBR", reply);
  });
}

Match WriteBankCommand(std::span<const uint8_t> input, MemoryBankState& m) {
  // The terminated form's CR is left to end the line at the boundary.
  return Fixed(input, 7, [&] {
    const auto bank = DigitAt(input, 4);
    if (bank && ValidBank(*bank) && input[5] == ',') m.staged[size_t(*bank - 1)] = input[6];
    return Match::Took(7, "^MBS");
  });
}

Match ApplyBankCommand(std::span<const uint8_t> input, MemoryBankState& m) {
  return Fixed(input, 6, [&] {
    const int bank = input[4];
    if (ValidBank(bank)) {
      auto& staged = m.staged[size_t(bank - 1)];
      if (staged && bank != m.refusedBank) m.banks[size_t(bank - 1)] = *staged;
      staged.reset();
      ++m.applied;
    }
    return Match::Took(input[5] == kCr ? 6 : 5, "^MBA");
  });
}

Match ReadIdentityCommand(std::span<const uint8_t> input, MemoryBankState& m) {
  return Fixed(input, 6, [&] {
    const auto item = DigitAt(input, 4);
    std::vector<uint8_t> reply;
    if (item && FindIdentityItem(*item) && input[5] == kCr) reply = Line(m.identity[size_t(*item)]);
    return Match::Took(input[5] == kCr ? 6 : 5, "^MBX", reply);
  });
}

Match WriteIdentityCommand(std::span<const uint8_t> input, MemoryBankState& m) {
  return Terminated(input, [&](std::span<const uint8_t> body, size_t length) {
    if (body.size() >= 3 && body[0] == kResetMarker && body[1] == ',') {
      if (const auto item = Decimal(body.subspan(2)); item && FindIdentityItem(*item))
        m.identity[size_t(*item)] = m.factoryIdentity[size_t(*item)];
    } else if (const auto item = DigitAt(body, 0); item && body.size() >= 2 && body[1] == ',') {
      if (const IdentityItem* identity = FindIdentityItem(*item)) {
        // The printer keeps no more than its field holds.
        std::string text(body.begin() + 2, body.end());
        text.resize(std::min(text.size(), size_t(identity->longest)));
        m.identity[size_t(*item)] = text;
      }
    }
    return Match::Took(length, "^MBY");
  });
}

Match WriteUserItemCommand(std::span<const uint8_t> input, MemoryBankState& m) {
  return Terminated(input, [&](std::span<const uint8_t> body, size_t length) {
    if (body.size() >= 3 && body[0] == kResetMarker && body[1] == ',') {
      const auto item = Decimal(body.subspan(2));
      if (item && *item == kAllUserItems)
        m.userItems = MemoryBankState::FactoryUserItems();
      else if (item && FindUserItem(*item))
        m.userItems[size_t(*item)] = kUserItems[size_t(*item)].factory;
    } else if (const auto item = DigitAt(body, 0); item && body.size() >= 3 && body[1] == ',') {
      const auto value = Decimal(body.subspan(2));
      if (value && FindUserItem(*item)) m.userItems[size_t(*item)] = *value;
    }
    return Match::Took(length, "^MBU");
  });
}

Match PrinterInfoCommand(std::span<const uint8_t> input, MemoryBankState& m) {
  const std::string* answers[] = {&m.modelName, &m.modelType, &m.firmwareVersion, nullptr,
                                  &m.headTemperature};
  bool partial = false;
  const PrinterInfoItem* item = FindLiteral(
      input, kPrinterInfoItems, [](const PrinterInfoItem& i) { return i.command; }, partial);
  if (item) return Match::Took(item->command.size(), "^PI", Line(*answers[item->item]));
  return partial ? Match::More() : Match::No();
}

struct Command {
  std::string_view head;
  Match (*take)(std::span<const uint8_t>, MemoryBankState&);
};

constexpr Command kCommands[] = {
    {"^MBR", ReadBankCommand},     {"^MBS", WriteBankCommand},     {"^MBA", ApplyBankCommand},
    {"^MBX", ReadIdentityCommand}, {"^MBY", WriteIdentityCommand}, {"^MBU", WriteUserItemCommand},
};

}  // namespace

Match MemoryBankFamily::Try(std::span<const uint8_t> input, PrinterState& state) {
  bool partial = false;
  const Command* command = FindLiteral(
      input, kCommands, [](const Command& c) { return c.head; }, partial);
  if (command) return command->take(input, state.memory);
  Match info = PrinterInfoCommand(input, state.memory);
  if (info.kind != Match::Kind::NoMatch) return info;
  return partial ? Match::More() : Match::No();
}

}  // namespace qm::sim
