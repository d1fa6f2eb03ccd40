#pragma once

#include <ostream>

#include "link/TrafficTap.h"
#include "monitor/TrafficRows.h"

namespace qm {

class PrinterPort;

// Prints the port's traffic as it happens, one line per record: the rows the
// Traffic window shows, as text or as one JSON object each. For the command
// line's --trace, where a script or a bug report wants every exchange.
class TrafficTrace {
 public:
  enum class Form { Text, Json };

  TrafficTrace(PrinterPort& port, std::ostream& out, Form form);
  ~TrafficTrace();
  TrafficTrace(const TrafficTrace&) = delete;
  TrafficTrace& operator=(const TrafficTrace&) = delete;

  // One record as the trace prints it, without the line's end.
  std::string Line(const TrafficRecord& record);

 private:
  void PrintTaken();

  PrinterPort& port_;
  std::ostream& out_;
  Form form_;
  TrafficTap tap_;
  TrafficDecoder decoder_;
  TrafficRows times_;  // keeps the time since connect the rows count from
};

}  // namespace qm
