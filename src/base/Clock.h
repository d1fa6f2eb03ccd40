#pragma once

namespace qm {

// Every fixed wait of the tool (reply delays, tag reads, sensor scans, the
// retry pause of a write) goes through a Clock. Production keeps the windows
// painted while it waits; tests record the waits and return at once.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual void Sleep(int milliseconds) = 0;
  // Called now and then while the port blocks in a long read or write, so a
  // clock that keeps windows painted can do so there too.
  virtual void KeepResponsive() {}
};

// Plain blocking sleep, for code that runs without windows (command-line tools).
class SystemClock : public Clock {
 public:
  void Sleep(int milliseconds) override;
};

}  // namespace qm
