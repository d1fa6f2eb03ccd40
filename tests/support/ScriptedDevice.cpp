#include "ScriptedDevice.h"

#include <algorithm>

namespace qm::test {

size_t DeviceScript::Count(const std::string& what) const {
  return size_t(std::count_if(calls.begin(), calls.end(),
                              [&](const DeviceCall& c) { return c.what == what; }));
}

std::vector<size_t> DeviceScript::WriteSizes() const {
  std::vector<size_t> sizes;
  for (const auto& c : calls)
    if (c.what == "write") sizes.push_back(c.count);
  return sizes;
}

bool ScriptedDevice::Open(const std::string& path) {
  script_.calls.push_back({"open", path, {}, 0, 0});
  if (!script_.openSucceeds) return false;
  ++script_.opens;
  open_ = true;
  return true;
}

void ScriptedDevice::Close() {
  if (!open_) return;
  script_.calls.push_back({"close", {}, {}, 0, 0});
  ++script_.closes;
  open_ = false;
}

bool ScriptedDevice::Configure(const SerialSettings& settings) {
  script_.calls.push_back({"configure", {}, {}, 0, 0});
  lastSettings = settings;
  return script_.configureSucceeds;
}

bool ScriptedDevice::ReadModemLines(ModemLines& lines) {
  script_.calls.push_back({"modem", {}, {}, 0, 0});
  if (!script_.modemLinesKnown) return false;
  lines = script_.modemLines;
  return true;
}

bool ScriptedDevice::QueryParallelStatus(uint8_t& status) {
  script_.calls.push_back({"status", {}, {}, 0, 0});
  if (!script_.parallelStatusKnown) return false;
  status = script_.parallelStatus;
  return true;
}

IoResult ScriptedDevice::Read(uint8_t* buffer, size_t count, int timeoutMs, int gapMs) {
  script_.calls.push_back({"read", {}, {}, count, timeoutMs, gapMs});
  if (!script_.readResults.empty()) {
    IoResult r = script_.readResults.front();
    script_.readResults.pop_front();
    r.count = std::min(r.count, count);
    for (size_t i = 0; i < r.count && !script_.replies.empty(); ++i) {
      buffer[i] = script_.replies.front();
      script_.replies.pop_front();
    }
    return r;
  }
  size_t n = std::min(count, script_.replies.size());
  for (size_t i = 0; i < n; ++i) {
    buffer[i] = script_.replies.front();
    script_.replies.pop_front();
  }
  return {true, n};
}

IoResult ScriptedDevice::Write(const uint8_t* buffer, size_t count, int timeoutMs) {
  script_.calls.push_back(
      {"write", {}, std::vector<uint8_t>(buffer, buffer + count), count, timeoutMs});
  IoResult r{true, count};
  if (!script_.writeResults.empty()) {
    r = script_.writeResults.front();
    script_.writeResults.pop_front();
    r.count = std::min(r.count, count);
  }
  script_.written.insert(script_.written.end(), buffer, buffer + r.count);
  return r;
}

bool ScriptedDevice::Purge() {
  script_.calls.push_back({"purge", {}, {}, 0, 0});
  return true;
}

std::unique_ptr<PortDevice> ScriptedFactory::Create(InterfaceType kind) {
  created.push_back(kind);
  return std::make_unique<ScriptedDevice>(script_);
}

}  // namespace qm::test
