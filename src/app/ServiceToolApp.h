#pragma once

namespace qm {

// Creates the printer port and the main window and runs it modally; when the
// main window ends, the program ends.
class ServiceToolApp {
 public:
  int Run();
};

}  // namespace qm
