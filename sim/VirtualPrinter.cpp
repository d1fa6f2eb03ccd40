#include "sim/VirtualPrinter.h"

#include <algorithm>

namespace qm::sim {

namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;

bool IsLineEnd(uint8_t byte) {
  return byte == kCr || byte == kLf;
}

// "P", "P1", "P3,2": the label script's print command.
bool IsPrintCommand(std::string_view line) {
  return !line.empty() && line[0] == 'P' && std::all_of(line.begin() + 1, line.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == ',';
  });
}

}  // namespace

VirtualPrinter::VirtualPrinter() {
  AddStandardFamilies(*this);
}

void VirtualPrinter::AddFamily(std::unique_ptr<CommandFamily> family) {
  families_.push_back(std::move(family));
}

std::vector<uint8_t> VirtualPrinter::Feed(std::string_view bytes) {
  return Feed(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

std::vector<uint8_t> VirtualPrinter::Feed(std::span<const uint8_t> bytes) {
  state_.traffic.received.insert(state_.traffic.received.end(), bytes.begin(), bytes.end());
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());

  std::vector<uint8_t> replies;
  size_t pos = 0;
  while (pos < pending_.size()) {
    if (inScriptLine_) {
      const auto from = pending_.begin() + static_cast<ptrdiff_t>(pos);
      const auto end = std::find_if(from, pending_.end(), IsLineEnd);
      line_.append(from, end);
      pos = static_cast<size_t>(end - pending_.begin());
      if (end != pending_.end()) {
        EndScriptLine();
        ++pos;
      }
      continue;
    }
    const std::optional<size_t> used = Dispatch(std::span(pending_).subspan(pos), replies);
    if (!used) break;
    pos += *used;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(pos));
  return replies;
}

std::optional<size_t> VirtualPrinter::Dispatch(std::span<const uint8_t> input,
                                               std::vector<uint8_t>& replies) {
  for (const auto& family : families_) {
    Match match = family->Try(input, state_);
    switch (match.kind) {
      case Match::Kind::NoMatch:
        continue;
      case Match::Kind::NeedMore:
        return std::nullopt;
      case Match::Kind::Consumed:
        if (!match.command.empty()) state_.traffic.commands.push_back(std::move(match.command));
        replyDelayMs_ += match.delayMs;
        AddReply(std::move(match.reply), replies);
        // A family that claims nothing would stall the printer for good.
        return std::clamp<size_t>(match.length, 1, input.size());
    }
  }
  if (IsLineEnd(input[0])) return 1;
  inScriptLine_ = true;
  return 0;
}

void VirtualPrinter::AddReply(std::vector<uint8_t> reply, std::vector<uint8_t>& replies) const {
  if (faults_.silent) return;
  if (faults_.truncate && !reply.empty()) reply.pop_back();
  if (faults_.garble) {
    for (uint8_t& byte : reply) byte ^= 0xFF;
  }
  replies.insert(replies.end(), reply.begin(), reply.end());
}

void VirtualPrinter::EndScriptLine() {
  if (IsPrintCommand(line_)) ++state_.traffic.printCommands;
  state_.traffic.scriptLines.push_back(std::move(line_));
  line_.clear();
  inScriptLine_ = false;
}

}  // namespace qm::sim
