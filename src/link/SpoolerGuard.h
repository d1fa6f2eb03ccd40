#pragma once

#include <string>
#include <vector>

#include "link/InterfaceType.h"

namespace qm {

class PrinterPort;
class Prompter;

// A print queue installed on this machine and the device it prints to.
struct SpoolerQueue {
  std::string name;
  std::string deviceUri;  // e.g. "usb://Maker/Model?serial=1", "serial:/dev/ttyS0?baud=9600"
};

// Where the guard takes the installed queues from, in the spooler's order.
// Empty when there are none or the spooler cannot be reached.
class SpoolerSource {
 public:
  virtual ~SpoolerSource() = default;
  virtual std::vector<SpoolerQueue> Queues() = 0;
};

// Whether a queue printing to `deviceUri` holds the port the tool is about to
// open. A spooler that sends a job to the printer in the middle of a service
// exchange corrupts both, so every USB queue counts as holding every USB
// printer, and a serial or parallel queue holds the port whose device node
// its URI names (options after "?" do not matter).
bool QueueHoldsPort(const std::string& deviceUri, const std::string& portName, InterfaceType kind);

// The warning that names the queue to move elsewhere.
std::string DriverConflictMessage(const std::string& queueName, const std::string& portName);

// Refuses (false) at the first queue that holds the port about to be opened,
// after telling the operator which one; passes when none does.
bool CheckDriverPorts(const PrinterPort& port, InterfaceType kind, SpoolerSource& spooler,
                      Prompter& prompter);

}  // namespace qm
