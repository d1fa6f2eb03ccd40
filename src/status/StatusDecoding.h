#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace qm {

// The four status inquiries the printer answers.
enum class StatusCommand { Cp, Cu, ErrorCode, Cps };

struct StatusQuery {
  std::string_view command;  // sent followed by CR
  uint32_t replyLength;      // bytes the printer answers with
  int waitMs;                // pause between the command and the read
  bool serialOnly;           // the printer answers only on its serial line
};

const StatusQuery& QueryFor(StatusCommand command);

// The indicator labels of a command's page, in the order the page shows them.
std::span<const std::string_view> IndicatorLabels(StatusCommand command);

// Whether a read brought a whole, well-formed reply: the full length, and for
// the error code a trailing CR LF.
bool ReplyComplete(StatusCommand command, std::span<const uint8_t> reply, uint32_t received);

// Which indicators a reply ticks, one flag per IndicatorLabels entry.
std::vector<bool> DecodeStatusReply(StatusCommand command, std::span<const uint8_t> reply);

}  // namespace qm
