#pragma once

namespace qm {

class Clock;
class PrinterPort;
class Prompter;

// What every window needs from the application: the one printer port, the
// message boxes and file dialogs, and the clock its waits go through.
struct AppContext {
  PrinterPort& port;
  Prompter& prompter;
  Clock& clock;
};

}  // namespace qm
