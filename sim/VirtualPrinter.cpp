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
  if (faults_.flakySeed != flakySeeded_) {
    flakySeeded_ = faults_.flakySeed;
    if (flakySeeded_) flaky_.seed(*flakySeeded_);
  }
  const FlakyTally before = flakyTally_;
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
  // About one chunk in 1500 is the last before the line goes dead.
  if (flakySeeded_ && flaky_() % 1500 == 0) {
    hangUp_ = true;
    // What this chunk's commands made never reaches the line, whatever
    // else would have befallen it.
    FlakyTally after = before;
    after.replies = flakyTally_.replies;
    after.lostToHangUp += flakyTally_.replies - before.replies;
    ++after.hangUps;
    after.lastLost = after.lastLost || flakyTally_.replies != before.replies;
    flakyTally_ = after;
    replies.clear();
  }
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

void VirtualPrinter::AddReply(std::vector<uint8_t> reply, std::vector<uint8_t>& replies) {
  if (faults_.silent) return;
  if (flakySeeded_ && !reply.empty()) FlakyReply(reply);
  if (faults_.truncate && !reply.empty()) reply.pop_back();
  if (faults_.garble) {
    for (uint8_t& byte : reply) byte ^= 0xFF;
  }
  replies.insert(replies.end(), reply.begin(), reply.end());
}

void VirtualPrinter::FlakyReply(std::vector<uint8_t>& reply) {
  FlakyTally& t = flakyTally_;
  ++t.replies;
  t.lastLost = false;
  // Three replies in a hundred each: held back, cut, garbled, dropped.
  switch (flaky_() % 100 / 3) {
    case 0:
      // A printer busy for a while, within a tool's usual patience.
      replyDelayMs_ += 20 + int64_t(flaky_() % 200);
      ++t.delayed;
      ++t.whole;
      break;
    case 1:
      // At least one byte stays: a reply cut to nothing is a dropped one.
      if (reply.size() > 1) {
        reply.resize(1 + flaky_() % (reply.size() - 1));
        ++t.cut;
      } else {
        reply.clear();
        ++t.dropped;
        t.lastLost = true;
      }
      break;
    case 2:
      reply[flaky_() % reply.size()] ^= uint8_t(1 + flaky_() % 255);
      ++t.garbled;
      break;
    case 3:
      reply.clear();
      ++t.dropped;
      t.lastLost = true;
      break;
    default:
      ++t.whole;
  }
  t.bytesSent += reply.size();
}

void VirtualPrinter::EndScriptLine() {
  if (IsPrintCommand(line_)) ++state_.traffic.printCommands;
  state_.traffic.scriptLines.push_back(std::move(line_));
  line_.clear();
  inScriptLine_ = false;
}

}  // namespace qm::sim
