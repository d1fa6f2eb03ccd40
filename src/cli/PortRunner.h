#pragma once

#include <functional>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/Options.h"

namespace qm {
class Clock;
class PrinterPort;
}  // namespace qm

namespace qm::cli {

class ConsolePrompter;

// One port's share of a printer subcommand: its open connection and where
// its words go. `out` is the text report (dropped under --json), `err` the
// progress and failures (always shown). With several ports each line of
// either carries the port's name in front.
struct PortSession {
  const std::string& name;  // as given on the command line
  PrinterPort& port;
  Clock& clock;
  ConsolePrompter& prompter;
  std::ostream& out;
  std::ostream& err;
};

// What an operation reports for its port: an exit code and the fields of its
// JSON object ("port" and "exit" are added by the runner).
struct PortResult {
  int code = kDone;
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
};

using PortOperation = std::function<PortResult(PortSession&)>;

// Opens every port of `line` and runs `operation` on each, all at once, each
// port with its own PrinterPort on its own thread; one port's failure never
// stops another. A port that cannot be opened reports kCannotOpen with the
// reason. Under --json one object per port goes to `out`, in the order the
// ports were given, when all are done. Returns the worst exit code.
int RunOnPorts(const LineOptions& line, const PortOperation& operation, Streams streams);

// A line-buffered stream that writes each whole line to `target` at once,
// after `prefix`, so lines of ports running side by side never mix.
class PrefixedLines {
 public:
  PrefixedLines(std::ostream& target, std::string prefix);
  ~PrefixedLines();
  std::ostream& Stream();

 private:
  class Buffer;
  std::unique_ptr<Buffer> buffer_;
  std::unique_ptr<std::ostream> stream_;
};

// The reply bytes as JSON numbers.
nlohmann::ordered_json BytesJson(const uint8_t* bytes, size_t count);

}  // namespace qm::cli
