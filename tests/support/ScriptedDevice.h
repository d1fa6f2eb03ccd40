#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/PortDevice.h"

namespace qm::test {

// One call a scripted device saw, in order.
struct DeviceCall {
  std::string what;            // "open", "close", "configure", "read", "write", "purge", ...
  std::string path;            // for open
  std::vector<uint8_t> bytes;  // for write: the bytes offered
  size_t count = 0;            // for read/write: bytes asked for
  int timeoutMs = 0;           // for read/write
  int gapMs = 0;               // for read: the quiet gap that ends it (0 = none)
};

// Everything the devices of one test share: the call log, queued replies and
// injected failures. A PrinterPort creates a new device per open; all of
// them report here.
struct DeviceScript {
  std::vector<DeviceCall> calls;
  std::vector<uint8_t> written;       // all bytes accepted, in order
  std::deque<uint8_t> replies;        // bytes reads take from
  std::deque<IoResult> writeResults;  // per write call; empty = accept all
  std::deque<IoResult> readResults;   // per read call; overrides replies when present
  bool openSucceeds = true;
  bool configureSucceeds = true;
  bool modemLinesKnown = true;
  ModemLines modemLines{true, true};
  bool parallelStatusKnown = true;
  uint8_t parallelStatus = 0x80;
  std::string failureReason;  // what a device says of a failed open or setting
  int opens = 0;
  int closes = 0;

  size_t Count(const std::string& what) const;
  std::vector<size_t> WriteSizes() const;
  void QueueReply(const std::string& bytes) {
    replies.insert(replies.end(), bytes.begin(), bytes.end());
  }
};

class ScriptedDevice : public PortDevice {
 public:
  explicit ScriptedDevice(DeviceScript& script) : script_(script) {}

  bool Open(const std::string& path) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  bool Configure(const SerialSettings& settings) override;
  bool ReadModemLines(ModemLines& lines) override;
  bool QueryParallelStatus(uint8_t& status) override;
  IoResult Read(uint8_t* buffer, size_t count, int timeoutMs, int gapMs) override;
  IoResult Write(const uint8_t* buffer, size_t count, int timeoutMs) override;
  bool Purge() override;
  std::string FailureReason() const override { return script_.failureReason; }

  SerialSettings lastSettings;

 private:
  DeviceScript& script_;
  bool open_ = false;
};

class ScriptedFactory : public DeviceFactory {
 public:
  explicit ScriptedFactory(DeviceScript& script) : script_(script) {}
  std::unique_ptr<PortDevice> Create(InterfaceType kind) override;
  std::vector<InterfaceType> created;
  SerialSettings lastSettings;

 private:
  DeviceScript& script_;
};

}  // namespace qm::test
