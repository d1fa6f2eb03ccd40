#pragma once

#include "link/SpoolerGuard.h"

namespace qm {

// The local print queues of the CUPS server this machine uses (cupsServer():
// CUPS_SERVER, client.conf, else the local socket), with their device URIs.
// Remote queues and classes are left out: neither holds a local port.
//
// The check runs before every USB transfer, so it must not stall when no
// server answers: the connection gets connectTimeoutMs and the reply
// replyTimeoutMs, and any failure counts as "no queues".
class CupsSpooler : public SpoolerSource {
 public:
  explicit CupsSpooler(int connectTimeoutMs = 1000, int replyTimeoutMs = 2000)
      : connectTimeoutMs_(connectTimeoutMs), replyTimeoutMs_(replyTimeoutMs) {}
  std::vector<SpoolerQueue> Queues() override;

 private:
  int connectTimeoutMs_;
  int replyTimeoutMs_;
};

}  // namespace qm
