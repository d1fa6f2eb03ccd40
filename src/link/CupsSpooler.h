#pragma once

#include <string_view>

#include "link/SpoolerGuard.h"

namespace qm {

// The local print queues of the CUPS server this machine uses, with their
// device URIs. Only a server on this machine counts (a unix socket, or
// localhost): a remote server's queues print to that machine's ports, not to
// ours. (Queues of the local server that print across the network carry
// network URIs, which hold no local port.)
//
// The check runs before every USB transfer, so it must not stall when no
// server answers: the connection gets connectTimeoutMs and the reply
// replyTimeoutMs, and any failure counts as "no queues".
class CupsSpooler : public SpoolerSource {
 public:
  explicit CupsSpooler(int connectTimeoutMs = 500, int replyTimeoutMs = 1000)
      : connectTimeoutMs_(connectTimeoutMs), replyTimeoutMs_(replyTimeoutMs) {}
  std::vector<SpoolerQueue> Queues() override;

 private:
  int connectTimeoutMs_;
  int replyTimeoutMs_;
};

// Whether a server name as libcups gives it ("/run/cups/cups.sock",
// "localhost:631", "[::1]:631", "printhost") is on this machine.
bool IsLocalCupsServer(std::string_view server);

}  // namespace qm
